#!/usr/bin/env bash
# Installs what is missing, builds both targets and starts Tamsel32 under
# Wine.  The shipped program is the 32-bit build/i686/Tamsel32.exe; this
# machine runs the x86_64 build of the same code.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_missing
build_all
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    echo "== No display: Tamsel32 runs in a virtual one ($DISPLAY); set DISPLAY to see it on your screen."
fi
trap stop_all EXIT
start_wine
echo "== Starting Tamsel32"
wine "$BUILD/x86_64/Tamsel32.exe"
