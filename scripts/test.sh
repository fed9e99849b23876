#!/bin/sh
# Builds the Linux, Windows and sanitized Linux trees and runs every test of
# each (the Windows ones under Wine, the Linux plugin also inside Double
# Commander under Xvfb), the thread test under ThreadSanitizer, and each fuzz
# target for 30 seconds. Exits non-zero if anything fails.
set -eu
. "$(dirname "$0")/common.sh"

ensure_build_packages
ensure_host_packages
build_linux
build_windows
build_sanitized
build_thread_sanitized
build_fuzz
start_wine

step="testing"
failed=""
for tree in linux windows32 windows linux-sanitize; do
    echo "== testing $tree"
    ctest --test-dir "$BUILD/$tree" --output-on-failure || failed="$failed $tree"
done
echo "== testing linux-thread"
ctest --test-dir "$BUILD/linux-thread" -R '^plugin_tests$' --output-on-failure || failed="$failed linux-thread"
run_fuzz "${LUMBRASKET_FUZZ_SECONDS:-30}" || failed="$failed fuzzing"
if [ -n "$failed" ]; then
    echo "FAILED:$failed" >&2
    exit 1
fi
echo "all tests passed: linux, windows32 and windows (Wine), linux-sanitize, linux-thread, fuzzing"
