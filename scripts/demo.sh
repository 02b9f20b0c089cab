#!/usr/bin/env bash
# Main job: set up, build the renderer and render the built-in demo phrase through the real
# processor into build/halcyra-demo.wav, printing where it went and what it measured.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --build
bash scripts/build.sh --target halcyra-render
./"${HALCYRA_BUILD_DIR:-build}"/tools/halcyra-render -o "${HALCYRA_BUILD_DIR:-build}/halcyra-demo.wav" "$@"
