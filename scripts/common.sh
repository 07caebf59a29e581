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

export LANG=ja_JP.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$BUILD/wineprefix

# RUNS_32BIT is 1 where the kernel runs 32-bit x86 programs; otherwise
# NO_32BIT_WHY says why not.  Asked of the kernel itself, with a 96-byte
# static i386 program whose only work is to exit with status 42.
RUNS_32BIT=0
NO_32BIT_WHY=""
check_32bit() {
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
    if [ "$status" = 42 ]; then
        RUNS_32BIT=1
    else
        RUNS_32BIT=0
        NO_32BIT_WHY="the kernel does not run 32-bit x86 programs (a static i386 test program gave status $status instead of 42)"
    fi
}

install_missing() {
    check_32bit
    local wanted=$PACKAGES missing=""
    # 32-bit Wine only where it can run: installed where it cannot, it
    # would take over the wine command and spoil every new prefix.
    if [ "$RUNS_32BIT" = 1 ]; then
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
    choose_wine
}

# TAMSEL_WINE: the loader the scripts and the tests start programs with.
# The wine command takes 32-bit Wine when it is installed; where the kernel
# cannot run it, 64-bit Wine is named directly.
choose_wine() {
    if [ "$RUNS_32BIT" = 1 ]; then
        export TAMSEL_WINE=wine
    else
        export TAMSEL_WINE=/usr/lib/wine/wine64
        export WINELOADER=$TAMSEL_WINE
    fi
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
    [ "$RUNS_32BIT" = 1 ] && kind=wine32+wine64
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
