#!/usr/bin/env bash
# Main job: set up, build the renderer and render the built-in demo phrase through the real
# processor into build/halcyra-demo.wav, printing where it went and what it measured. It plays the
# "Halcyra Choir Glass" pad; any renderer option given here is passed on (a later --preset wins).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --build
bash scripts/build.sh --target halcyra-render
./"${HALCYRA_BUILD_DIR:-build}"/tools/halcyra-render --preset "Halcyra Choir Glass" \
    -o "${HALCYRA_BUILD_DIR:-build}/halcyra-demo.wav" "$@"
