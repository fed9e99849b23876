#!/bin/sh
# A longer fuzzing run: builds the fuzz targets and runs each for SECONDS
# (default 600), growing the working corpus in build/fuzz-corpus.
#   ./scripts/fuzz.sh [SECONDS]
set -eu
. "$(dirname "$0")/common.sh"

ensure_build_packages
build_fuzz
run_fuzz "${1:-600}"
echo "no findings"
