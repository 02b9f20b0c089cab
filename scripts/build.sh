#!/usr/bin/env bash
# Configures and builds everything (plug-ins, tools, tests, benchmarks) into build/.
#   scripts/build.sh [extra cmake --build args]
set -euo pipefail
cd "$(dirname "$0")/.."

# A compiler cache that also hits from a fresh clone in another folder.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}"
export CCACHE_NOHASHDIR=1

BUILD_DIR="${HALCYRA_BUILD_DIR:-build}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$BUILD_DIR" "$@"
