#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs the whole suite
# against each build, under Wine in a private virtual display.  Test names
# begin with the build they ran: i686. (the shipped program) or x86_64.
# Arguments go to CTest (-R EndToEnd runs the end-to-end tests alone).
# Where the kernel runs no 32-bit programs, the whole run goes on inside a
# namespace in which they run through qemu-i386 (common.sh).
set -euo pipefail
unset TAMSEL_LANG   # each test chooses its locale
source "$(dirname "$0")/common.sh"

install_missing
if [ -z "${TAMSEL_IN_I386_NS:-}" ]; then
    build_all
    if [ "$I686_WAY" = qemu ]; then
        echo "== Entering a namespace in which 32-bit programs run through qemu-i386"
        in_i386_namespace bash "$0" "$@"
        exit $?
    fi
fi
start_xvfb
trap stop_all EXIT
start_wine

# One CTest run over both builds, so that one summary counts them all.
suites="i686 x86_64"
[ "$I686_WAY" = none ] && suites="x86_64"
for s in $suites; do echo "subdirs(\"$s\")"; done > "$BUILD/CTestTestfile.cmake"
echo "== Running the tests of: $suites (display $DISPLAY)"
status=0
ctest --test-dir "$BUILD" --output-on-failure "$@" || status=$?
echo "== $(i686_way_line)."
exit $status
