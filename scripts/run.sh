#!/usr/bin/env bash
# Installs what is missing, builds both targets and starts Tamsel32 under
# Wine: the shipped 32-bit build/i686/Tamsel32.exe where this machine runs
# 32-bit programs, the x86_64 build of the same code otherwise.  Files
# given (bash scripts/run.sh FILE...) are dropped on its window, and what
# reached the clipboard is printed.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_missing
if [ -n "${DISPLAY:-}" ] && ! xdpyinfo >/dev/null 2>&1; then
    echo "== The display $DISPLAY cannot be opened; unset DISPLAY to run Tamsel32 in a virtual one." >&2
    exit 1
fi
build_all --target Tamsel32 helpfile
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    echo "== No display: Tamsel32 runs in a virtual one ($DISPLAY); set DISPLAY to see it on your screen."
    echo "   A picture of it: xwd -display $DISPLAY -root | convert xwd:- tamsel.png"
    echo "   (an open menu comes out black there; take it by its own window:"
    echo "    xwd -display $DISPLAY -id \$(DISPLAY=$DISPLAY xdotool search --classname tamsel32.exe | tail -1) | convert xwd:- menu.png)"
fi
trap stop_all EXIT
start_wine
exe=$BUILD/x86_64/Tamsel32.exe
if [ "$RUNS_32BIT" = 1 ]; then
    exe=$BUILD/i686/Tamsel32.exe
    echo "== Starting the 32-bit Tamsel32 (build/i686/Tamsel32.exe)"
else
    echo "== Starting the x86_64 Tamsel32 (build/x86_64/Tamsel32.exe): $NO_32BIT_WHY"
fi
echo "   Closing its window, or Ctrl+C here, ends the run."
# Ctrl+C ends the program through stop_all, quietly: not by the signal,
# which would have Wine report its lost display.
trap 'exit 0' INT
"$TAMSEL_WINE" "$exe" &
program=$!
# Files given: dropped on the window as a file manager drops them.
if [ $# -gt 0 ]; then
    echo "== Dropping $# file(s) on Tamsel32"
    /usr/bin/python3 "$ROOT/scripts/drop_files.py" "$@" || true
fi
wait $program || true
