#!/usr/bin/env bash
# Installs the Debian packages Halcyra needs to build, test and run in real hosts.
# Idempotent and non-interactive; runs as root or through sudo.
#   scripts/setup.sh            build + unit tests + host tests
#   scripts/setup.sh --build    only what the build itself needs
set -u

BUILD_PKGS=(
  cmake ninja-build g++ pkg-config ccache juce-modules-source
  libasound2-dev libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev
  libgtest-dev libbenchmark-dev
)
HOST_PKGS=(
  xvfb xauth lilv-utils lv2-dev sordi ardour jalv jackd2 jack-capture python3-jack-client
  python3-mido python3-numpy python3-soundfile qemu-user
)

pkgs=("${BUILD_PKGS[@]}")
[ "${1:-}" = "--build" ] || pkgs+=("${HOST_PKGS[@]}")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#pkgs[@]} packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "setup: need root (or sudo) to install: ${missing[*]}" >&2; exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# jackd2 would otherwise ask whether to enable real-time scheduling.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $SUDO debconf-set-selections 2>/dev/null || true
if ! $SUDO apt-get update -qq; then
  echo "setup: 'apt-get update' failed: is the package mirror reachable?" >&2; exit 1
fi
if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/tmp/halcyra-setup.log 2>&1; then
  echo "setup: 'apt-get install' failed; last lines of /tmp/halcyra-setup.log:" >&2
  tail -n 20 /tmp/halcyra-setup.log >&2
  still=()
  for p in "${missing[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || still+=("$p")
  done
  echo "setup: still missing: ${still[*]}" >&2
  exit 1
fi
echo "setup: done"
