#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs the whole suite
# against each build, under Wine in a private virtual display.  Test names
# begin with the build they ran: i686. (the shipped program) or x86_64.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_missing
build_all
start_xvfb
trap stop_all EXIT
start_wine

# One CTest run over both builds, so that one summary counts them all.
suites="i686 x86_64"
[ "$RUNS_32BIT" = 1 ] || suites="x86_64"
for s in $suites; do echo "subdirs(\"$s\")"; done > "$BUILD/CTestTestfile.cmake"
echo "== Running the tests of: $suites (display $DISPLAY)"
status=0
ctest --test-dir "$BUILD" --output-on-failure || status=$?
[ "$RUNS_32BIT" = 1 ] || echo "== The 32-bit suite could not run here: $NO_32BIT_WHY; only the x86_64 build was tested."
exit $status
