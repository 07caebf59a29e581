# Shared by scripts/run.sh and scripts/test.sh: installs what is missing,
# builds both targets, and provides a private X display and Wine prefix.
# Source it; it expects bash.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build

PACKAGES="cmake ninja-build googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xdotool x11-apps x11-utils imagemagick xclip
  python3 python3-xlib locales fonts-ipafont-gothic"

install_missing() {
    local missing=""
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        echo "== Installing:$missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends $missing >/dev/null
    fi
    # Wine takes its ANSI code page (932) from the Japanese locale.
    if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
        echo "== Generating the ja_JP.UTF-8 locale"
        sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
        locale-gen >/dev/null
    fi
}

# build_all: the shipped 32-bit program (warnings are errors) and the x86_64
# build with its tests.
build_all() {
    echo "== Building i686 (shipped Tamsel32.exe)"
    cmake -S "$ROOT" -B "$BUILD/i686" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
    cmake --build "$BUILD/i686" "$@"
    (cd "$BUILD/i686" && cpack >/dev/null) && echo "== Release package: $BUILD/i686/Tamsel32-1.0.zip"
    echo "== Building x86_64 (run under Wine, with the tests)"
    cmake -S "$ROOT" -B "$BUILD/x86_64" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAMSEL_TESTS=ON -DTAMSEL_BENCH=ON \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" >/dev/null
    cmake --build "$BUILD/x86_64" "$@"
}

export LANG=ja_JP.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$BUILD/wineprefix

XVFB_PID=""

# start_xvfb: a private virtual display, exported as DISPLAY.
start_xvfb() {
    local n=77
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
}

# start_wine: the prefix (made once) and one persistent wineserver.
start_wine() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== Creating the Wine prefix"
        wineboot -i >/dev/null 2>&1 || true
    fi
    wineserver -p >/dev/null 2>&1 || true   # one may be running already
    # There is no window manager: Wine draws frames and captions itself, and
    # does not wait for a manager when a window goes away.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    # A crash ends the test program instead of waiting in a debugger.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1 || true
    # (These also start Wine's own services, away from the tests' output
    # pipes: the services outlive the process that starts them.)
}

stop_all() {
    wineserver -k 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
