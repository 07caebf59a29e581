#!/usr/bin/env bash
# Installs what is missing, builds both targets and starts Tamsel32 under
# Wine: the shipped 32-bit build/i686/Tamsel32.exe where this machine runs
# 32-bit programs, the x86_64 build of the same code otherwise.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_missing
build_all --target Tamsel32 helpfile
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    echo "== No display: Tamsel32 runs in a virtual one ($DISPLAY); set DISPLAY to see it on your screen."
fi
trap stop_all EXIT
start_wine
if [ "$RUNS_32BIT" = 1 ]; then
    echo "== Starting the 32-bit Tamsel32 (build/i686/Tamsel32.exe)"
    "$TAMSEL_WINE" "$BUILD/i686/Tamsel32.exe"
else
    echo "== Starting the x86_64 Tamsel32 (build/x86_64/Tamsel32.exe): $NO_32BIT_WHY"
    "$TAMSEL_WINE" "$BUILD/x86_64/Tamsel32.exe"
fi
