#!/usr/bin/env bash
# The shipped binaries must run on any x86-64 processor: the voice kernels come in versions for
# AVX-512, AVX2 and plain x86-64, picked when the program loads. Here the renderer runs under
# QEMU's user-mode emulation as a processor without AVX (Nehalem) and as one with AVX2 but no
# AVX-512 (Haswell), so the other versions run for real, and each render must match the native
# one closely (they differ only in fused multiply-adds, about 1e-7).
#   older_processors.sh RENDERER TMPDIR
set -euo pipefail
RENDER=$1
TMP=$2
command -v qemu-x86_64 >/dev/null || { echo "qemu-x86_64 missing (scripts/setup.sh installs qemu-user)"; exit 1; }
mkdir -p "$TMP"

/usr/bin/python3 - "$TMP/chord.mid" <<'PY'
import sys, mido
f = mido.MidiFile(ticks_per_beat=480)
t = mido.MidiTrack(); f.tracks.append(t)
notes = [36, 48, 55, 60, 64, 67, 71]
for n in notes:
    t.append(mido.Message('note_on', note=n, velocity=100, time=0))
t.append(mido.Message('note_off', note=notes[0], velocity=0, time=480))
for n in notes[1:]:
    t.append(mido.Message('note_off', note=n, velocity=0, time=0))
f.save(sys.argv[1])
PY

# Every costly part of the voice on.
ARGS=(--seed 7 --tail 0.3 --set unisonVoices=5 --set oscALevel=0.6 --set oscBLevel=0.5 --set oscAShape=2
      --set oscBShape=4 --set subLevel=0.4 --set fatAmount=0.3 --set fmAmount=0.5 --set ringModAmount=0.4
      --set filterMorph=0.6 --set arpEnabled=0 --set mirrorEnabled=0 --set attack=0.05)

"$RENDER" "${ARGS[@]}" -o "$TMP/native.wav" "$TMP/chord.mid" >/dev/null
for cpu in Nehalem Haswell; do
  qemu-x86_64 -cpu "$cpu" "$RENDER" "${ARGS[@]}" -o "$TMP/$cpu.wav" "$TMP/chord.mid" >/dev/null
done

/usr/bin/python3 - "$TMP" <<'PY'
import sys, numpy as np, soundfile as sf
tmp = sys.argv[1]
native, _ = sf.read(f"{tmp}/native.wav")
ok = np.max(np.abs(native)) > 0.05
for cpu in ("Nehalem", "Haswell"):
    other, _ = sf.read(f"{tmp}/{cpu}.wav")
    diff = float(np.max(np.abs(native - other))) if other.shape == native.shape else float("inf")
    print(f"{cpu}: largest difference from the native render {diff:.3g}")
    ok = ok and diff <= 1e-5
print("older processors: ok" if ok else "older processors: FAILED")
sys.exit(0 if ok else 1)
PY
