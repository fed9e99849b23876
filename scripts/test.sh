#!/bin/sh
# Builds the Linux, Windows and sanitized Linux trees and runs every test of
# each (the Windows ones under Wine, the Linux plugin also inside Double
# Commander under Xvfb). Exits non-zero if anything fails.
set -eu
. "$(dirname "$0")/common.sh"

ensure_build_packages
ensure_host_packages
build_linux
build_windows
build_sanitized
start_wine

step="testing"
failed=""
for tree in linux windows linux-sanitize; do
    echo "== testing $tree"
    ctest --test-dir "$BUILD/$tree" --output-on-failure || failed="$failed $tree"
done
if [ -n "$failed" ]; then
    echo "FAILED:$failed" >&2
    exit 1
fi
echo "all tests passed: linux, windows (Wine), linux-sanitize"
