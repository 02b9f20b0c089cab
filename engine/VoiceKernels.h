#pragma once

// The pad voice's inner loops, run over one run of up to 64 samples at a time. The voice
// (PadSynthVoice.cpp) prepares the per-call values and mixes the results; these functions do the
// per-sample work, with the unison copies or the partials side by side in vector lanes.
//
// Two files implement them, split by how they may round:
// - VoicePhaseKernels.cpp: pitch, every phase that accumulates over a note, and the filters.
//   These repeat the plain formulas' float operations in the same order (no fused multiply-adds),
//   or the phases would drift apart from them over a long note.
// - VoiceWaveKernels.cpp: the partial sines, their sums and the drive. Nothing there feeds back,
//   so fused multiply-adds and polynomial approximations only move the result by about 1e-7.

namespace velmora::voicekernels
{

constexpr int runLength = 64;     // samples per run
constexpr int copyLanes = 8;      // unison copies side by side (five at most are used)
constexpr int partialLanes = 16;  // twelve partials padded to whole vector registers

/** Per-call oscillator values, the same for every copy, and the per-copy constants. */
struct OscillatorSettings
{
    int numCopies = 1;
    float driftStep = 0, driftDepth = 0, sampleRate = 48000, fmRatio = 2, subDivisor = 2, fmIndex = 0;
    float pw = 0.5f, pwB = 0.42f, aLevel = 0, bLevel = 0, subLevel = 0, fatLevel = 0, ringLevel = 0;
    int aShape = 0, bShape = 0, subShape = 0;
    bool sync = false;
    int wrapsA = 1, wrapsFm = 1;   // turns one step can pass at most: from a bound on this run's step
    alignas (32) float centsBase[copyLanes] {};      // unison detune × position + spread × detune offset
    alignas (32) float detuneOffset[copyLanes] {};
};

/** The per-copy phases a voice keeps between runs, one lane per copy. */
struct CopyPhases
{
    float* drift;
    float* a;
    float* b;
    float* fm;
    float* sub;
    float* startDelay;
};

/** One run's oscillator results: value [sample · stride + copy], the stride being the copy count,
    so a sample's copies sit side by side. Inactive samples (start delay) hold 0. */
struct OscillatorRun
{
    static constexpr int capacity = runLength * copyLanes + 16;   // room for a last partial vector

    int stride = copyLanes;
    alignas (64) float inc[capacity];
    alignas (64) float fm[capacity];
    alignas (64) float oscL[capacity];
    alignas (64) float oscR[capacity];
    int firstActive[copyLanes];   // the samples each copy still spent waiting out its start delay

    float at (const float* values, int sample, int copy) const noexcept  { return values[sample * stride + copy]; }
};

/** Drift, pitch step, the four oscillator phases and their shapes for every copy over a run.
    frequency and noise hold one value per sample. */
void runOscillators (const OscillatorSettings&, CopyPhases, const float* frequency, const float* noise,
                     int numSamples, OscillatorRun&) noexcept;

/** 2^x for |x| ≤ 1/16 the way runOscillators computes pitch powers (equal to powf's). */
void powersOfTwo (const float* x, float* out, int count) noexcept;

/** The twelve partial phases per copy (and their wobble) over a run. For each copy, the phase
    after every active sample goes to phasesOut[copy][sample]. */
void advancePartials (float (*phases)[partialLanes], float (*wobbles)[partialLanes], int numCopies,
                      const OscillatorRun&, int numSamples, float wobbleStep, float wobbleDepth, int wraps,
                      float (*phasesOut)[runLength][partialLanes]) noexcept;

/** Σₖ sin(phase[k] + (0.06 + 0.02·(k+1))·fm) · gain[k] for one copy, per sample of the run.
    fm is read every fmStride values; sums receives numSamples values. */
void sumPartials (float (*phases)[partialLanes], const float* fm, int fmStride, int numSamples, const float* gains,
                  float* sums) noexcept;

/** Up to eight voices' filters side by side, one voice per lane: the four filters (low-pass
    left and right, then the band-pass morph pair) with their states, which each step updates with
    exactly the operations of TptFilter::processSample. */
struct FilterLanes
{
    static constexpr int lanes = 8;
    alignas (32) float s1[4][lanes] {}, s2[4][lanes] {};
    alignas (32) float g[4][lanes] {}, h[4][lanes] {}, r2[4][lanes] {};   // this stretch's coefficients
    alignas (32) float morph[lanes] {};
    bool anyMorph = false;   // some lane's morph above 0.002: only those lanes run the morph pair
};

/** Filters numSamples (at most 8) samples of every lane: in[sample][lane] in, out[sample][lane]
    out (the low-pass output, blended with the band-pass one where the lane's morph is on). */
void filterLanesRun (FilterLanes&, const float (*inL)[FilterLanes::lanes], const float (*inR)[FilterLanes::lanes],
                     int numSamples, float (*outL)[FilterLanes::lanes], float (*outR)[FilterLanes::lanes]) noexcept;

/** The voice's drive: tanh((x + grain + air) · amp · drive · character drive) for both sides. */
struct DriveSettings
{
    float grainAmount, velocity, airRight, drive, characterDrive;
};

void driveRun (const DriveSettings&, const float* left, const float* right, const float* noise, const float* air,
               const float* env, int numSamples, float* outLeft, float* outRight) noexcept;

} // namespace velmora::voicekernels
