#!/usr/bin/env bash
# Halcyra against a peer instrument in the same host: the same real multi-voice MIDI file played
# through Halcyra (VST3) and through ZynAddSubFX (LV2, its default patch) in Ardour 7, which
# reports each instrument's own DSP time per process cycle.
#   bench/compare_peer.sh [MIDI_FILE] [SECONDS]
# Installs ardour, zynaddsubfx-lv2 and openttd-openmsx (the default MIDI file) when missing.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
HOST="$ROOT/tests/host"
PY=/usr/bin/python3
MIDI=${1:-/usr/share/games/openttd/baseset/openmsx/keep_on_rolling.mid}
SECONDS_TO_PLAY=${2:-40}

need=()
for p in ardour zynaddsubfx-lv2 openttd-openmsx python3-mido; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

VST3_DIR="$ROOT/${HALCYRA_BUILD_DIR:-build}/Halcyra_artefacts/Release/VST3"
[ -d "$VST3_DIR/Halcyra.vst3" ] || bash "$ROOT/scripts/build.sh" --target Halcyra_VST3

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export HOME="$WORK/home" VST3_PATH="$VST3_DIR"
mkdir -p "$HOME/.config/ardour7/export"
cp "$HOST/float32.preset" "$HOME/.config/ardour7/export/"
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner -f "$VST3_DIR/Halcyra.vst3" >/dev/null 2>&1

"$PY" "$HOST/prep_midi.py" "$MIDI" "$WORK/piece.mid" --seconds "$SECONDS_TO_PLAY"

render() {   # name plugin [index=value ...]
  local name=$1 plugin=$2
  shift 2
  ardour7-lua "$HOST/create.lua" "$WORK/$name" "$name" "$plugin" "$@" > "$WORK/$name.create.log" 2>&1 || true
  grep -q "^instrument:" "$WORK/$name.create.log" || { echo "could not load $plugin"; cat "$WORK/$name.create.log"; exit 1; }
  "$PY" "$HOST/ardour_add_midi_region.py" "$WORK/$name" "$name" Synth "$WORK/piece.mid" 2 >/dev/null
  # Ardour's headless session tool now and then aborts on exit before printing: try again.
  for attempt in 1 2 3; do
    if ardour7-lua "$HOST/render.lua" "$WORK/$name" "$name" "$WORK/out" "$name" 2>/dev/null > "$WORK/$name.out" \
       && grep -q "^dsp-stats" "$WORK/$name.out"; then
      grep -E "^(export|dsp-stats)" "$WORK/$name.out" | tee "$WORK/$name.stats"
      return 0
    fi
    echo "(Ardour stopped early rendering $name; attempt $attempt of 3)"
  done
  echo "could not render $name"; exit 1
}

# The start-up sound with its arpeggiator (39) and mirror (46) switched off, so that both
# instruments play the piece's notes as written.
echo "== Halcyra (VST3, start-up sound, arpeggiator and mirror off)"
render halcyra Halcyra 39=0 46=0
echo "== ZynAddSubFX (LV2, default patch)"
render zyn http://zynaddsubfx.sourceforge.net

h=$(sed -n 's/.*avg \([0-9.]*\) us.*/\1/p' "$WORK/halcyra.stats")
z=$(sed -n 's/.*avg \([0-9.]*\) us.*/\1/p' "$WORK/zyn.stats")
echo "average DSP time per 1024-sample cycle: Halcyra $h us, ZynAddSubFX $z us, ratio Halcyra/Zyn $(echo "scale=2; $h / $z" | bc)"
