#!/bin/sh
# Builds what ships (the plugins, the tool and the archives, no tests) and
# shows what a host would see: the host stand-in loads each build (the
# Windows ones under Wine, 64-bit and 32-bit) and prints the group of every
# file in examples/sample, using examples/Lumbrasket.ini.
set -eu
. "$(dirname "$0")/common.sh"

ensure_ship_packages
SHIPPED_ONLY=yes
build_linux
build_windows
start_wine

step="running the host stand-in"
cd "$ROOT"
echo
echo "== Windows build, Lumbrasket.wdx64 under Wine"
wine "$BUILD/windows/tools/lumbrasket.exe" --host-settings examples/wdx.ini --plugin \
    "$BUILD/windows/plugin/Lumbrasket.wdx64" examples/sample | tr -d '\r'
echo
echo "== Windows build, 32-bit Lumbrasket.wdx under Wine"
wine "$BUILD/windows32/tools/lumbrasket.exe" --host-settings examples/wdx.ini --plugin \
    "$BUILD/windows32/plugin/Lumbrasket.wdx" examples/sample | tr -d '\r'
echo
echo "== Linux build, Lumbrasket.wdx"
"$BUILD/linux/tools/lumbrasket" --host-settings examples/wdx.ini --plugin \
    "$BUILD/linux/plugin/Lumbrasket.wdx" examples/sample
