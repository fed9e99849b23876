#!/bin/sh
# The speed and size goals as ratios measured in one run, for both builds
# (the Windows one under Wine): builds the Linux and Windows trees and runs
# goal_ratios against each built plugin.
#   ./scripts/benchmark.sh
set -eu
. "$(dirname "$0")/common.sh"

ensure_build_packages
build_linux
build_windows
start_wine
step="measuring"
echo "== Linux: $BUILD/linux/plugin/Lumbrasket.wdx"
"$BUILD/linux/tests/benchmarks/goal_ratios" "$BUILD/linux/plugin/Lumbrasket.wdx"
echo "== Windows under Wine: $BUILD/windows/plugin/Lumbrasket.wdx64"
wine "$BUILD/windows/tests/benchmarks/goal_ratios.exe" "$BUILD/windows/plugin/Lumbrasket.wdx64"
for file in "$BUILD/linux/plugin/package/Lumbrasket.wdx" "$BUILD/windows/plugin/package/Lumbrasket.wdx64" \
    "$BUILD/windows32/plugin/package/Lumbrasket.wdx"; do
    echo "G4  $file as archived (stripped): $(wc -c <"$file") bytes"
done
