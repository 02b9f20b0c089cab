#!/usr/bin/python3
"""check_audio.py OUT.wav [--min-rms X]: the render is sound: finite, not silent, below full scale."""
import sys, numpy as np, soundfile as sf

path = sys.argv[1]
min_rms = float(sys.argv[sys.argv.index('--min-rms') + 1]) if '--min-rms' in sys.argv else 1e-3
data, rate = sf.read(path, dtype='float64', always_2d=True)
finite = bool(np.isfinite(data).all())
clean = np.nan_to_num(data)
peak = float(np.abs(clean).max()) if clean.size else 0.0
rms = float(np.sqrt((clean ** 2).mean())) if clean.size else 0.0
print(f"{path}: {len(data) / rate:.3f} s, {data.shape[1]} ch, peak {peak:.4f}, rms {rms:.4f}, finite {finite}")
problems = []
if not finite: problems.append("non-finite samples")
if rms < min_rms: problems.append(f"silent (rms {rms:.6f} < {min_rms})")
if peak >= 1.0: problems.append(f"at or above full scale (peak {peak:.4f})")
if len(data) < rate: problems.append("shorter than one second")
if problems:
    print("FAIL: " + "; ".join(problems))
    sys.exit(1)
print("OK")
