#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs the whole suite
# under Wine in a private virtual display.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_missing
build_all
start_xvfb
trap stop_all EXIT
start_wine
echo "== Running the tests (display $DISPLAY)"
ctest --test-dir "$BUILD/x86_64" --output-on-failure
