#!/usr/bin/env bash
# Set up, build, and run the whole test suite: unit tests, renderer checks, and the real
# plug-in binaries in real hosts.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
cd "${HALCYRA_BUILD_DIR:-build}"
ctest --output-on-failure -j2 "$@"
