# Shared by scripts/run.sh, scripts/test.sh and scripts/bench.sh: installs
# what is missing, builds both targets, and provides a private X display and
# Wine prefix.  Source it; it expects bash.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build

# fp-utils brings chmcmd and chmls, which build and read back TAMSEL.CHM;
# fonts-wine the Marlett font of the caption buttons.
PACKAGES="cmake ninja-build googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xdotool x11-apps x11-utils imagemagick xclip
  python3 python3-xlib locales fonts-ipafont-gothic fonts-dejavu-core fp-utils fonts-wine"

# The program's language and ANSI code page come from the locale: Japanese
# (code page 932) unless TAMSEL_LANG names another (en_US.UTF-8: English,
# code page 1252).
export LANG=${TAMSEL_LANG:-ja_JP.UTF-8}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$BUILD/wineprefix

# I686_WAY tells how the shipped 32-bit program runs here: "native" where
# the kernel runs 32-bit x86 programs, "qemu" where it does not and the
# programs run through qemu-i386 (see in_i386_namespace), "none" where
# neither can be had; NO_32BIT_WHY then says why.  Decided once, outside any
# namespace: inside one, binfmt hands the probe to qemu and it would pass.
# TAMSEL_I686_WAY=qemu chooses qemu on a kernel that runs them too.
I686_WAY=""
NO_32BIT_WHY=""

# kernel_runs_32bit: asks the kernel itself, with a 96-byte static i386
# program whose only work is to exit with status 42.
kernel_runs_32bit() {
    local probe=$BUILD/i386-probe status=0
    mkdir -p "$BUILD"
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'\
'\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00'\
'\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' > "$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" = 42 ] && return 0
    KERNEL_32BIT_STATUS=$status
    return 1
}

install_missing() {
    if [ -n "${TAMSEL_IN_I386_NS:-}" ]; then
        # Inside the namespace: all was installed and decided before it.
        I686_WAY=qemu
        I386_ROOT=$TAMSEL_I386_ROOT
        NO_32BIT_WHY=$TAMSEL_NO_32BIT_WHY
        choose_wine
        return
    fi
    I686_WAY=native
    if [ "${TAMSEL_I686_WAY:-}" = qemu ]; then
        I686_WAY=qemu
        NO_32BIT_WHY="TAMSEL_I686_WAY=qemu chose it"
    elif ! kernel_runs_32bit; then
        I686_WAY=qemu
        NO_32BIT_WHY="the kernel runs no 32-bit x86 programs (a static i386 test program gave status $KERNEL_32BIT_STATUS instead of 42)"
    fi
    local wanted=$PACKAGES missing=""
    # 32-bit Wine goes into the system only where the kernel runs it:
    # installed where it cannot, it would take over the wine command and
    # spoil every new prefix.
    if [ "$I686_WAY" = native ]; then
        wanted="$wanted wine32:i386"
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            echo "== Enabling the i386 architecture for 32-bit Wine"
            dpkg --add-architecture i386
        fi
    fi
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        echo "== Installing:$missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends $missing >/dev/null
    fi
    # Wine takes its ANSI code page from the locale: 932 from the Japanese
    # one; the English one (1252) runs the English messages.  Without a
    # locale generated, Wine reads non-ASCII file names as garbage.
    local loc
    for loc in ja_JP en_US; do
        if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8$"; then
            echo "== Generating the $loc.UTF-8 locale"
            sed -i "s/^# *\($loc.UTF-8 UTF-8\)/\1/" /etc/locale.gen
            grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" >> /etc/locale.gen
            locale-gen >/dev/null
        fi
    done
    if [ "$I686_WAY" = qemu ] && ! prepare_i386_root; then
        I686_WAY=none
    fi
    choose_wine
}

# TAMSEL_WINE: the loader the scripts and the tests start programs with.
# The wine command takes 32-bit Wine when it is installed; elsewhere 64-bit
# Wine is named directly, and it starts a 32-bit program through the
# 32-bit loader, which in_i386_namespace provides.
choose_wine() {
    if [ "$I686_WAY" = native ]; then
        export TAMSEL_WINE=wine
    else
        export TAMSEL_WINE=/usr/lib/wine/wine64
        export WINELOADER=$TAMSEL_WINE
    fi
}

# ---- 32-bit Wine through qemu-i386, where the kernel runs no 32-bit programs
#
# Nothing of it enters the system: 32-bit Wine and the i386 libraries it
# needs are unpacked into a private root, and qemu-i386 (from bookworm-
# backports: bookworm's own qemu 7.2 ignores MAP_FIXED_NOREPLACE, and Wine
# then takes minutes to start each 32-bit process) beside it.  About 200 MB
# are downloaded once, with a private apt state, into TAMSEL_I386_CACHE,
# where every later run, and every clone, finds them.
I386_CACHE=${TAMSEL_I386_CACHE:-/var/cache/tamsel32-i386}
I386_ROOT=""
QEMU_I386=""
# The X extensions winex11 opens at run time, which no package depends on.
I386_PACKAGES="libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1"

# i386_apt ARGS...: apt-get with the private state (amd64 and i386, the
# machine's own Debian mirror, bookworm with its backports).
i386_apt() {
    APT_CONFIG=$I386_CACHE/apt/apt.conf apt-get -qq -o Dpkg::Use-Pty=0 "$@"
}

i386_apt_setup() {
    local apt=$I386_CACHE/apt mirror security
    mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/etc/apt.conf.d" "$apt/etc/preferences.d"
    touch "$apt/status"
    mirror=$(grep -hoE 'https?://[^ ]*/debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/*.sources \
             /etc/apt/sources.list.d/*.list 2>/dev/null | head -1 | tr -d ' ')
    security=$(grep -hoE 'https?://[^ ]*/debian-security/?( |$)' /etc/apt/sources.list \
               /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list 2>/dev/null | head -1 | tr -d ' ')
    mirror=${mirror:-http://deb.debian.org/debian}
    local keys="[signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]"
    {
        echo "deb $keys $mirror bookworm main"
        echo "deb $keys $mirror bookworm-updates main"
        echo "deb $keys $mirror bookworm-backports main"
        [ -n "$security" ] && echo "deb $keys $security bookworm-security main"
    } > "$apt/sources.list"
    cat > "$apt/apt.conf" <<CONF
Dir::State "$apt";
Dir::State::lists "$apt/lists";
Dir::State::status "$apt/status";
Dir::Cache "$apt";
Dir::Cache::archives "$apt/archives";
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "$apt/etc/sources.list.d";
Dir::Etc::Parts "$apt/etc/apt.conf.d";
Dir::Etc::Preferences "$apt/etc/preferences";
Dir::Etc::PreferencesParts "$apt/etc/preferences.d";
APT::Architecture "amd64";
APT::Architectures { "amd64"; "i386"; };
CONF
    mkdir -p "$apt/etc/sources.list.d"
    i386_apt update
}

# prepare_i386_root: sets I386_ROOT and QEMU_I386, making them first where
# they are missing; FALSE, with NO_32BIT_WHY, where they cannot be had.
prepare_i386_root() {
    local version qemu_version root pkgs="" p
    version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || version=""
    root=$I386_CACHE/root-$version
    # The root's Wine must be the very version of the system's wine64.
    if [ ! -f "$root/.complete" ] || [ ! -x "$(cat "$I386_CACHE/qemu-i386.path" 2>/dev/null)" ]; then
        echo "== Preparing 32-bit Wine $version with qemu-i386 in $I386_CACHE ($NO_32BIT_WHY)"
        if ! i386_apt_setup; then
            NO_32BIT_WHY="$NO_32BIT_WHY, and the packages to run them through qemu could not be fetched"
            return 1
        fi
        qemu_version=$(APT_CONFIG=$I386_CACHE/apt/apt.conf apt-cache madison qemu-user |
                       awk '/bookworm-backports/ { print $3; exit }')
        for p in $I386_PACKAGES; do pkgs="$pkgs $p:i386"; done
        rm -f "$I386_CACHE"/apt/archives/*.deb
        if [ -z "$qemu_version" ] ||
           ! i386_apt install --download-only --no-install-recommends -y "qemu-user=$qemu_version" \
               "wine32:i386=$version" $pkgs >/dev/null; then
            NO_32BIT_WHY="$NO_32BIT_WHY, and qemu-user from bookworm-backports with wine32:i386 $version could not be fetched"
            return 1
        fi
        rm -rf "$root" "$I386_CACHE/qemu"
        mkdir -p "$root" "$I386_CACHE/qemu"
        for p in "$I386_CACHE"/apt/archives/*_i386.deb "$I386_CACHE"/apt/archives/*_all.deb; do
            dpkg -x "$p" "$root"
        done
        # qemu-user brings every processor's emulator: only i386's is kept.
        dpkg -x "$I386_CACHE"/apt/archives/qemu-user_*_amd64.deb "$I386_CACHE/qemu.all"
        mv "$I386_CACHE/qemu.all/usr/bin/qemu-i386" "$I386_CACHE/qemu/"
        rm -rf "$I386_CACHE/qemu.all"
        # What the packages' scripts would have done: zlib1.dll marked as
        # Wine's own (libwine's postinst), and an i386-only library cache,
        # so that qemu never reaches for the system's libraries.
        local zlib=$root/usr/i686-w64-mingw32/lib/zlib1.dll out=$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
        if [ -f "$zlib" ]; then
            { head -c 64 "$zlib"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$zlib"; } > "$out"
        fi
        mkdir -p "$root/etc"
        echo 'include /etc/ld.so.conf.d/*.conf' > "$root/etc/ld.so.conf"
        ldconfig -r "$root" 2>/dev/null || true
        # A 32-bit program that starts a 64-bit one finds the system's loader.
        ln -sf /usr/lib/wine/wine64 "$root/usr/lib/wine/wine64"
        echo "$I386_CACHE/qemu/qemu-i386" > "$I386_CACHE/qemu-i386.path"
        rm -f "$I386_CACHE"/apt/archives/*.deb
        touch "$root/.complete"
    fi
    I386_ROOT=$root
    QEMU_I386=$(cat "$I386_CACHE/qemu-i386.path")
    return 0
}

# in_i386_namespace CMD...: runs CMD in a private user and mount namespace
# in which i386 programs run through qemu-i386, and Wine's 32-bit loader is
# the private root's.  Outside it nothing changes.
in_i386_namespace() {
    TAMSEL_IN_I386_NS=1 TAMSEL_I386_ROOT=$I386_ROOT TAMSEL_NO_32BIT_WHY=$NO_32BIT_WHY unshare --user --map-root-user --mount --propagation private \
        /bin/bash "$ROOT/scripts/i386-namespace" "$I386_ROOT" "$QEMU_I386" "$@"
}

# i686_way_line: one line on how the shipped 32-bit program ran.
i686_way_line() {
    case $I686_WAY in
    native) echo "the 32-bit programs ran natively" ;;
    qemu)   echo "the 32-bit programs ran through qemu-i386 ($NO_32BIT_WHY; Wine's 32-bit half from $I386_ROOT)" ;;
    *)      echo "the 32-bit suite could not run: $NO_32BIT_WHY; only the x86_64 build was tested" ;;
    esac
}

# build ARCH [CMAKE BUILD ARGS...]: configures build/ARCH with the tests and
# the benchmark, and builds it.  Warnings are errors in the program's code.
build() {
    local arch=$1
    shift
    cmake -S "$ROOT" -B "$BUILD/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DTAMSEL_TESTS=ON -DTAMSEL_BENCH=ON \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" >/dev/null
    cmake --build "$BUILD/$arch" "$@"
}

# build_all: the shipped 32-bit program with its release package, and the
# x86_64 build of the same code; each with its tests and its own package.
build_all() {
    echo "== Building i686 (the shipped Tamsel32.exe)"
    build i686 "$@"
    (cd "$BUILD/i686" && cpack >/dev/null) && echo "== Release package: $BUILD/i686/Tamsel32-1.0.zip"
    echo "== Building x86_64"
    build x86_64 "$@"
    (cd "$BUILD/x86_64" && cpack >/dev/null)
}

XVFB_PID=""

# start_xvfb: a private virtual display, exported as DISPLAY.
start_xvfb() {
    local n=77
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    # In a session of its own: Ctrl+C in the terminal must not take the
    # display away from Wine before Wine has ended.
    setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
}

# start_wine: the prefix and one persistent wineserver.  A prefix records
# which Wine made it: one made by 64-bit Wine alone cannot load 32-bit
# programs once 32-bit Wine is there ("could not load kernel32.dll"), so a
# prefix made by the other kind is made anew.
start_wine() {
    local kind=wine64
    [ "$I686_WAY" = native ] && kind=wine32+wine64
    if [ -d "$WINEPREFIX" ] && [ "$(cat "$WINEPREFIX/.made-by" 2>/dev/null)" != "$kind" ]; then
        echo "== Making the Wine prefix anew for $kind"
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== Creating the Wine prefix ($kind)"
        "$TAMSEL_WINE" wineboot -i >/dev/null 2>&1 || true
        echo "$kind" > "$WINEPREFIX/.made-by"
    fi
    # A prefix made by 64-bit Wine alone has an empty syswow64: the 32-bit
    # loader of the namespace fills it, once.
    if [ "$I686_WAY" = qemu ] && [ -n "${TAMSEL_IN_I386_NS:-}" ] &&
       [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        echo "== Adding the 32-bit system files to the Wine prefix"
        WINEBOOTSTRAPMODE=1 "$TAMSEL_WINE" wineboot -u >/dev/null 2>&1 || true
    fi
    # Wine draws the caption buttons with Marlett, which Debian ships apart.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    [ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
    # One may be running already, for another run on this prefix: only a
    # server this run started is stopped at its end.
    WINE_STARTED=0
    wineserver -p >/dev/null 2>&1 && WINE_STARTED=1
    # There is no window manager: Wine draws frames and captions itself, and
    # does not wait for a manager when a window goes away.
    "$TAMSEL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
    "$TAMSEL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    # A crash ends the test program instead of waiting in a debugger.
    # (32-bit programs read the 32-bit view of the registry.)
    local view
    for view in 64 32; do
        "$TAMSEL_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Debugger /d '' /f /reg:$view >/dev/null 2>&1 || true
    done
    # (These also start Wine's own services, away from the tests' output
    # pipes: the services outlive the process that starts them.)
}

stop_all() {
    if [ "${WINE_STARTED:-0}" = 1 ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
