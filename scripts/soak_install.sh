#!/bin/sh
# A longer soak of install and uninstall killed at random moments than the
# test command runs: builds the Linux tree's install suite and runs its kill
# loop KILLS times (2000 unless given), then checks that one install and one
# uninstall give the settings back with nothing left over.
#   ./scripts/soak_install.sh [KILLS]
set -eu
. "$(dirname "$0")/common.sh"

ensure_build_packages
TARGETS=install_tests build_tree linux -DLUMBRASKET_TESTS=ON
step="soaking install and uninstall"
LUMBRASKET_KILLS=${1:-2000} "$BUILD/linux/tests/tools/install_tests/install_tests" \
    --gtest_filter='Install.KilledRunsLeaveWhatTheNextRunFinishes' >"$BUILD/soak_install.log" 2>&1 || {
    tail -n 40 "$BUILD/soak_install.log" >&2
    exit 1
}
echo "soak passed: ${1:-2000} killed runs, then the settings given back whole"
