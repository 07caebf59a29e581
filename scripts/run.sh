#!/usr/bin/env bash
# Installs what is missing, builds both targets and starts the shipped
# 32-bit Tamsel32 under Wine: natively where the kernel runs 32-bit
# programs, through qemu-i386 where it does not (common.sh), the x86_64
# build of the same code where neither can be had.  Files given (bash
# scripts/run.sh FILE...) are dropped on its window, and what reached the
# clipboard is printed.  TAMSEL_LANG=en_US.UTF-8 starts it in English.
set -euo pipefail
source "$(dirname "$0")/common.sh"

missing=0
for f in "$@"; do
    [ -e "$f" ] || { echo "== No such file: $f" >&2; missing=1; }
done
[ $missing = 0 ] || { echo "== Nothing was started: name files that exist." >&2; exit 2; }

install_missing
if [ -n "${DISPLAY:-}" ] && ! xdpyinfo >/dev/null 2>&1; then
    echo "== The display $DISPLAY cannot be opened; unset DISPLAY to run Tamsel32 in a virtual one." >&2
    exit 1
fi
if [ -z "${TAMSEL_IN_I386_NS:-}" ]; then
    build_all --target Tamsel32 helpfile
    [ "$I686_WAY" = qemu ] && { in_i386_namespace bash "$0" "$@"; exit $?; }
fi
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    echo "== No display: Tamsel32 runs in a virtual one ($DISPLAY); set DISPLAY to see it on your screen."
    echo "   A picture of it: xwd -display $DISPLAY -root | convert xwd:- tamsel.png"
    echo "   (an open menu comes out black there; take it by its own window:"
    echo "    xwd -display $DISPLAY -id \$(DISPLAY=$DISPLAY xdotool search --classname tamsel32.exe | tail -1) | convert xwd:- menu.png)"
fi
trap stop_all EXIT
start_wine
case $I686_WAY in
native) exe=$BUILD/i686/Tamsel32.exe; echo "== Starting the 32-bit Tamsel32 (build/i686/Tamsel32.exe)" ;;
qemu)   exe=$BUILD/i686/Tamsel32.exe; echo "== Starting the 32-bit Tamsel32 (build/i686/Tamsel32.exe) through qemu-i386: $NO_32BIT_WHY" ;;
*)      exe=$BUILD/x86_64/Tamsel32.exe; echo "== Starting the x86_64 Tamsel32 (build/x86_64/Tamsel32.exe): $NO_32BIT_WHY" ;;
esac
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
