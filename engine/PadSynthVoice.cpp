#include "PadSynthVoice.h"
#include "FastMath.h"
#include "Waveshapes.h"

#include <cstring>

// The lane type is only ever passed between inlined helpers of this file.
#if defined (__GNUC__) && ! defined (__clang__)
 #pragma GCC diagnostic ignored "-Wpsabi"
#endif

// Run-time dispatch between instruction sets goes through an ifunc resolver, which runs while
// the program is being loaded; sanitizer runtimes are not ready then, so their builds use the
// plain version only.
// Only ELF platforms (Linux) have ifunc resolvers; elsewhere (the macOS build) the plain version
// is compiled for the build's own target.
#if defined (__SANITIZE_THREAD__) || defined (__SANITIZE_ADDRESS__) || ! defined (__linux__) \
    || ! (defined (__x86_64__) || defined (__i386__)) || defined (__clang__)
 #define HALCYRA_DISPATCHED
#else
 #define HALCYRA_DISPATCHED __attribute__ ((target_clones ("avx512f", "avx2", "default")))
#endif

namespace velmora
{

namespace
{
    using Lanes = float __attribute__ ((vector_size (64)));   // the sixteen partial lanes
    using LaneInts = int __attribute__ ((vector_size (64)));

    /** The polynomial sine of fastmath::sin on all lanes; arguments here are never below −π. */
    __attribute__ ((always_inline)) inline Lanes sinLanes (Lanes x) noexcept
    {
        const Lanes shifted = x * 0.15915494f + 0.5f;                    // positive: truncation floors
        const Lanes q = __builtin_convertvector (__builtin_convertvector (shifted, LaneInts), Lanes);
        Lanes y = (x - q * 6.28125f) - q * 0.0019353071795864769f;
        y = y > 1.57079633f ? 3.14159265f - y : y;
        y = y < -1.57079633f ? -3.14159265f - y : y;
        const Lanes z = y * y;
        Lanes p = z * -1.6059043836821614e-10f + 2.5052108385441720e-8f;
        p = p * z - 2.7557319223985893e-6f;
        p = p * z + 1.9841269841269841e-4f;
        p = p * z - 8.3333333333333333e-3f;
        p = p * z + 1.6666666666666667e-1f;
        return y - y * z * p;
    }

    /** One unison copy's twelve partials over a run of samples, time first: the lanes' phases
        stay in registers. The wobble and partial phases advance with exactly the reference's
        float operations (they accumulate over a whole note, so they must not drift); only the
        sines are polynomial. Lanes 12 … 15 are padding (ratio and gain 0). A sample in which the
        copy waits out its start delay leaves every phase as it is.
        Cloned for AVX-512, AVX2 and plain x86-64; the loader picks the one the processor runs. */
    HALCYRA_DISPATCHED
    void partialsOverTime (float* phases, float* wobbles, const float* ratio, const float* gain,
                           const float* inc, const float* fm, const int* active, int numSamples,
                           float wobbleBase, float wobbleDepth, float partialLevel, int wraps, float* sums) noexcept
    {
        Lanes P, W, R, G, K, C;
        std::memcpy (&P, phases, sizeof (Lanes));
        std::memcpy (&W, wobbles, sizeof (Lanes));
        std::memcpy (&R, ratio, sizeof (Lanes));
        std::memcpy (&G, gain, sizeof (Lanes));
        for (int k = 0; k < 16; ++k)
        {
            K[k] = 0.00001f * (float) k;
            C[k] = 0.06f + 0.02f * (float) (k + 1);
        }

        // The wobble phase moves by a constant step below 2·10⁻⁴ rad, and its sine only scales the
        // partial step by 1 + 1.8·10⁻⁴·sin: the sine follows by rotation over the run, started
        // exactly, far closer than that scale's last bit.
        const Lanes step = K + wobbleBase;
        const Lanes rotateSin = sinLanes (step), rotateCos = sinLanes (step + 1.57079633f);
        Lanes wobbleSin = sinLanes (W), wobbleCos = sinLanes (W + 1.57079633f);

        for (int i = 0; i < numSamples; ++i)
        {
            if (active[i] == 0)
            {
                sums[i] = 0.0f;
                continue;
            }

            const Lanes w = (W + wobbleBase) + K;
            W = w >= twoPi ? w - twoPi : w;
            const Lanes nextSin = wobbleSin * rotateCos + wobbleCos * rotateSin;
            wobbleCos = wobbleCos * rotateCos - wobbleSin * rotateSin;
            wobbleSin = nextSin;
            Lanes x = P + R * inc[i] * (1.0f + 0.00018f * wobbleSin * wobbleDepth);
            for (int r = 0; r < wraps; ++r)   // as often as one step can pass 2π
                x = x >= twoPi ? x - twoPi : x;
            P = x;

            const Lanes v = sinLanes (x + C * fm[i]) * G * partialLevel;
            // A fixed pairwise sum: the same order on every processor and in every clone.
            const float a0 = v[0] + v[8], a1 = v[1] + v[9], a2 = v[2] + v[10], a3 = v[3] + v[11];
            const float a4 = v[4] + v[12], a5 = v[5] + v[13], a6 = v[6] + v[14], a7 = v[7] + v[15];
            sums[i] = ((a0 + a4) + (a2 + a6)) + ((a1 + a5) + (a3 + a7));
        }

        std::memcpy (phases, &P, sizeof (Lanes));
        std::memcpy (wobbles, &W, sizeof (Lanes));
    }

    /** The waveform shapes, with the polynomial sine; triangle and square are exact piecewise
        forms of (2/π)·asin(sin φ) and the sign of sin φ for φ in [0, 2π). */
    inline float shapeFast (int shape, float phase, float width, float r) noexcept
    {
        switch (shape)
        {
            case triangle:
            {
                const float t = phase * (2.0f / pi);   // 0 … 4 over the cycle
                return t < 1.0f ? t : (t < 3.0f ? 2.0f - t : t - 4.0f);
            }
            case saw:    return 2.0f * phase / twoPi - 1.0f;
            case square: return phase < pi ? 1.0f : -1.0f;
            case pulse:  return width > phase / twoPi ? 1.0f : -1.0f;
            case noise:  return r;
            default:     return fastmath::sin (phase);
        }
    }

    /** What one unison copy's oscillators need for a run of samples. */
    struct OscillatorRun
    {
        const float* frequency;
        const float* noise;
        int numSamples;
        float position, unisonDetune, detuneSpread, driftDepth, driftStep, sampleRate, fmRatio, subDivisor, fmIndex;
        float pw, pwB, aLevel, bLevel, subLevel, fatLevel, ringLevel;
        int aShape, bShape, subShape;
        bool sync;
        float detuneOffset;
    };

    struct CopyPhases
    {
        float drift, a, b, fm, sub, startDelay;
    };

    /** One copy's drift, step, oscillator phases and shapes over a run, in the reference's order
        of operations (the phases accumulate over a note). Returns the largest step of the run.
        Cloned per instruction set like the partial kernel. */
    HALCYRA_DISPATCHED
    float runOscillators (const OscillatorRun& o, CopyPhases& ph, float* inc, float* fmAt,
                          float* oscL, float* oscR, int* active) noexcept
    {
        float topStep = 0.0f;
        for (int i = 0; i < o.numSamples; ++i)
        {
            if (ph.startDelay > 0.0f)
            {
                ph.startDelay -= 1.0f;
                active[i] = 0;
                inc[i] = fmAt[i] = oscL[i] = oscR[i] = 0.0f;
                continue;
            }
            active[i] = 1;
            const float r = o.noise[i];

            ph.drift = wrapPhase (ph.drift + o.driftStep);
            const float cents = o.unisonDetune * o.position
                              + o.detuneSpread * o.detuneOffset
                              + o.driftDepth * (fastmath::sin (ph.drift) + 0.35f * fastmath::sin (0.47f * ph.drift + o.detuneOffset));
            const float step = std::pow (2.0f, cents / 1200.0f) * o.frequency[i] * twoPi / o.sampleRate;
            inc[i] = step;
            topStep = std::max (topStep, step);

            const float oldA = ph.a;
            ph.a = wrapPhase (oldA + step);
            if (o.sync && ph.a < oldA)
                ph.b = 0.0f;
            ph.b = wrapPhase (ph.b + step);

            ph.fm = wrapPhase (ph.fm + o.fmRatio * step);
            ph.sub = wrapPhase (ph.sub + step / o.subDivisor);

            const float fm = o.fmIndex * shapeFast (o.bShape, ph.fm, o.pwB, r);
            const float a = shapeFast (o.aShape, wrapPhase (ph.a + 1.5f * fm), o.pw, r) * o.aLevel;
            const float b = shapeFast (o.bShape, ph.b, o.pwB, r) * o.bLevel;
            const float sb = shapeFast (o.subShape, ph.sub, 0.5f, r) * o.subLevel;
            const float fat = (ph.sub < pi ? 1.0f : -1.0f) * o.fatLevel;
            const float ring = a * b * o.ringLevel;
            fmAt[i] = fm;
            oscL[i] = 0.62f * a + 0.54f * b + 0.52f * sb + 0.18f * fat + 0.52f * ring;
            oscR[i] = 0.54f * a + 0.62f * b + 0.52f * sb + 0.18f * fat + 0.52f * ring;
        }
        return topStep;
    }
}

PadSynthVoice::PadSynthVoice()
{
    setRenderConfig (config);
    initialiseVoiceState();
}

bool PadSynthVoice::canPlaySound (juce::SynthesiserSound* sound)
{
    return dynamic_cast<PadSynthSound*> (sound) != nullptr;
}

void PadSynthVoice::prepare (double newSampleRate, int) noexcept
{
    sampleRate = newSampleRate;
    envelope.setSampleRate (newSampleRate);   // rates follow at the next setRenderConfig

    for (auto& f : filters)
        f.prepare (newSampleRate);

    filters[filterL].setType (TptFilter::Type::lowpass);
    filters[filterR].setType (TptFilter::Type::lowpass);
    filters[morphFilterL].setType (TptFilter::Type::bandpass);
    filters[morphFilterR].setType (TptFilter::Type::bandpass);
}

void PadSynthVoice::setRenderConfig (const VoiceRenderConfig& newConfig) noexcept
{
    config = newConfig;

    LinearEnvelope::Settings s;
    s.attack  = juce::jmax (config.attack, 0.001f);
    s.decay   = 1.2f + 2.2f * config.movement;
    s.sustain = juce::jlimit (0.42f, 0.98f, 0.74f + 0.12f * config.shimmer);
    s.release = juce::jmax (config.release, 0.01f);
    envelope.applySettings (s);

    const float exponent = 0.85f + 2.15f * config.spectralTilt;
    for (int k = 0; k < numPartials; ++k)
    {
        const int n = k + 1;
        const float divisor = n == 1 ? 1.0f : std::pow ((float) n, exponent);
        partialGain[k] = (1.0f + 0.22f * config.shimmer * std::sin (1.61f * (float) n)) / divisor;
    }
}

void PadSynthVoice::initialiseVoiceState() noexcept
{
    const float m = juce::jlimit (0.0f, 1.0f, 0.35f * config.vintageAmount + config.unisonDetune / 24.0f);

    for (size_t u = 0; u < (size_t) maxUnison; ++u)
    {
        driftPhase[u] = twoPi * uniform();
        phaseA[u]     = twoPi * uniform();
        phaseB[u]     = twoPi * uniform();
        phaseFm[u]    = twoPi * uniform();
        phaseSub[u]   = twoPi * uniform();

        for (size_t k = 0; k < (size_t) numPartials; ++k)
        {
            partialPhase[u][k]       = twoPi * uniform();
            partialWobblePhase[u][k] = twoPi * uniform();
        }

        panOffset[u]    = bipolar();
        detuneOffset[u] = bipolar();
        startDelay[u]   = uniform() * (float) sampleRate * 0.0015f * m;
    }
}

void PadSynthVoice::startNote (int midiNoteNumber, float newVelocity, juce::SynthesiserSound*, int)
{
    const float f = config.a4Hz * std::pow (2.0f, (config.masterTune / 100.0f + (float) midiNoteNumber - 69.0f) / 12.0f);

    const bool legato = config.monoMode && legatoPending;
    legatoPending = false;
    velocity = juce::jlimit (0.0f, 1.0f, newVelocity);

    glideTargetFrequency = glideStartFrequency = f;
    glideSamplesRemaining = glideSamplesTotal = 0.0f;
    const float from = currentFrequency > 0.0f ? currentFrequency : f;

    if (config.glideTime > 0.0001f && (legato || currentFrequency > 0.0f))
    {
        const float start = juce::jmax (from, 20.0f);
        glideStartFrequency = currentFrequency = start;
        glideSamplesRemaining = glideSamplesTotal = config.glideTime * (float) sampleRate;
    }
    else
    {
        currentFrequency = f;
    }

    noiseLowpass = 0.0f;

    if (legato)
    {
        // A held note glides on without a new attack; a note whose key was already let go
        // (idle or releasing) is played again, rising from its current level.
        const auto stage = envelope.getStage();
        if (stage == LinearEnvelope::Stage::idle || stage == LinearEnvelope::Stage::release)
            envelope.noteOn();
    }
    else
    {
        initialiseVoiceState();
        envelope.noteOn();
    }
}

void PadSynthVoice::stopNote (float, bool allowTailOff)
{
    if (allowTailOff)
    {
        legatoPending = false;
        envelope.noteOff();
    }
    else if (config.monoMode)
    {
        legatoPending = true;   // the mono synth steals its only voice for every new note
    }
    else
    {
        legatoPending = false;
        envelope.reset();
        clearCurrentNote();
    }
}

void PadSynthVoice::silence() noexcept
{
    legatoPending = false;
    envelope.reset();
    clearCurrentNote();
}

float PadSynthVoice::unisonPosition (int u, int unisonVoices) noexcept
{
    if (unisonVoices < 2)
        return 0.0f;

    const int n = unisonCount (unisonVoices);
    const float centre = (float) (n - 1) * 0.5f;
    const float halfWidth = juce::jmax (1.0f, centre);
    return ((float) u - centre) / halfWidth;
}

float PadSynthVoice::unisonNorm (int unisonVoices) noexcept
{
    return 1.0f / std::sqrt ((float) unisonCount (unisonVoices));
}

void PadSynthVoice::setFilter (int slot, float cutoff, float resonance) noexcept
{
    // The tangent form needs the cutoff below Nyquist; at low host rates the raised right-hand
    // cutoffs (and 18 kHz itself) would pass it.
    const float limit = 0.45f * (float) sampleRate;
    filters[(size_t) slot].setCutoffAndResonance (juce::jmin (cutoff, limit), resonance);
}

void PadSynthVoice::updateFilters (float env, float morph, float frequency) noexcept
{
    const auto& c = config;
    const float keyBase = juce::jmax (frequency / juce::jmax (c.a4Hz, 55.0f), 0.25f);
    const float keyFactor = std::pow (keyBase, juce::jlimit (0.0f, 1.0f, c.filterKeytrack));
    const float envDepth = juce::jlimit (0.0f, 6.0f, (0.85f + 2.6f * velocity * c.velocityFilterAmount) * c.filterEnvAmount);

    const float fc = juce::jlimit (120.0f, 18000.0f,
                                   keyFactor * c.cutoff * (1.0f + envDepth * env)
                                       * (0.58f + 0.9f * c.leftPalmX + 0.16f * c.leftPinch));
    const float q = juce::jlimit (0.1f, 1.18f, c.resonance + 0.12f * c.filterDrive + 0.08f * c.leftOpen);

    setFilter (filterL, fc, q);
    setFilter (filterR, fc * (1.0f + 0.05f * c.spread), q);

    if (morph > 0.002f)
    {
        const float fc2 = juce::jlimit (160.0f, 18000.0f, fc * (1.0f + 3.2f * morph + 0.25f * c.filterDrive));
        const float q2 = juce::jlimit (0.14f, 1.2f, q + 0.16f * morph + 0.1f * c.filterDrive);
        setFilter (morphFilterL, fc2, q2);
        setFilter (morphFilterR, fc2 * (1.0f + 0.04f * c.spread), q2);
    }
}

void PadSynthVoice::renderNextBlock (juce::AudioBuffer<float>& output, int startSample, int numSamples)
{
    if (getCurrentlyPlayingNote() < 0)
        return;

    if (numSamples > 0)
    {
        const auto& c = config;

        const float pw = juce::jlimit (0.08f, 0.92f, 0.5f + 0.64f * (c.pwmAmount - 0.5f) + 0.14f * c.leftLift);
        const float pwB = 0.84f * pw;
        const float partialLevel = 1.0f + 0.28f * c.shimmer + 0.08f * c.leftLift;
        const float airAmount = (0.05f + 0.08f * c.leftOpen) * c.noiseMix;
        const float grainAmount = (0.01f + 0.03f * velocity) * c.characterAmount;
        const float morph = juce::jlimit (0.0f, 1.0f, c.filterMorph);
        const float fmIndex = juce::jlimit (0.0f, 2.6f, 2.2f * c.fmAmount);
        const float driftDepth = 0.45f * c.movement + 2.4f * c.driftAmount + 0.9f * c.vintageAmount;
        const float characterDrive = 1.0f + (1.2f + 1.8f * velocity) * c.characterAmount;
        const float drive = 1.0f + 3.8f * c.filterDrive + 0.5f * c.vintageAmount;
        const float core = juce::jlimit (0.0f, 1.0f, c.padCoreMix);

        const int numCopies = unisonCount (c.unisonVoices);
        const float norm = 1.0f / std::sqrt ((float) numCopies);
        const float centre = (float) (numCopies - 1) / 2.0f;
        const float halfWidth = juce::jmax (1.0f, centre);

        const float aLevel = juce::jlimit (0.0f, 1.0f, c.oscALevel);
        const float bLevel = juce::jlimit (0.0f, 1.0f, c.oscBLevel);
        const float subLevel = juce::jlimit (0.0f, 1.0f, c.subLevel);
        const float fatLevel = juce::jlimit (0.0f, 1.0f, c.fatAmount);
        const float ringLevel = juce::jlimit (0.0f, 1.0f, c.ringModAmount);
        const float fmRatio = juce::jlimit (0.25f, 8.0f, c.fmRatio);
        const float subDivisor = c.subOctave >= 2 ? 4.0f : 2.0f;
        const float driftStep = 0.00003f + 0.00014f * c.driftAmount + 0.00005f * c.vintageAmount;
        const float wobbleDepth = c.driftAmount + 0.4f * c.vintageAmount;
        const float wobbleStepBase = 0.00006f + 0.00011f * c.movement;
        const float panWidth = 0.16f + 0.84f * c.spread;
        const float airRight = 0.94f + 0.08f * c.spread;
        const float srFloat = (float) sampleRate;

        float* left = output.getNumChannels() > 0 ? output.getWritePointer (0) : nullptr;
        float* right = output.getNumChannels() > 1 ? output.getWritePointer (1) : nullptr;

        // A call is rendered in runs of up to 64 samples: first what the whole voice needs per
        // sample, then each unison copy over the run (oscillators, then its partials time-first),
        // then the drive and filters. Runs are multiples of 8 long, so the filters still update on
        // every 8th sample of the call.
        constexpr int run = 64;
        float noiseIn[run], airIn[run], envAt[run], frequencyAt[run], L[run], R[run];
        float inc[run], fmAt[run], oscL[run], oscR[run], partialSum[run];
        int active[run];

        for (int runStart = 0; runStart < numSamples; runStart += run)
        {
            const int n = juce::jmin (run, numSamples - runStart);

            for (int i = 0; i < n; ++i)
            {
                const float r = bipolar();
                noiseLowpass = 0.992f * noiseLowpass + 0.008f * r;

                if (glideSamplesRemaining > 0.0f && glideSamplesTotal > 0.0f)
                {
                    float x = juce::jlimit (0.0f, 1.0f, 1.0f - glideSamplesRemaining / juce::jmax (glideSamplesTotal, 1.0f));
                    if (c.glideCurve == 1)
                        x = x * x;
                    else if (c.glideCurve == 2)
                        x = 0.5f - 0.5f * std::cos (pi * x);

                    currentFrequency = glideStartFrequency + (glideTargetFrequency - glideStartFrequency) * x;
                    glideSamplesRemaining -= 1.0f;
                }
                else
                {
                    currentFrequency = glideTargetFrequency;
                }

                frequencyAt[i] = currentFrequency;
                envAt[i] = envelope.nextSample();
                noiseIn[i] = r;
                airIn[i] = airAmount * (r - noiseLowpass);
                L[i] = R[i] = 0.0f;
            }

            for (int u = 0; u < numCopies; ++u)
            {
                const auto uu = (size_t) u;
                const float position = c.unisonVoices >= 2 ? ((float) u - centre) / halfWidth : 0.0f;
                const float pan = position * panWidth + 0.12f * panOffset[uu];
                const float gainL = 0.5f - 0.34f * pan;
                const float gainR = 0.5f + 0.34f * pan;
                float topStep = 0.0f;

                OscillatorRun run_ { frequencyAt, noiseIn, n, position, c.unisonDetune, 0.3f + 0.8f * c.vintageAmount, driftDepth,
                                     driftStep, srFloat, fmRatio, subDivisor, fmIndex, pw, pwB, aLevel, bLevel, subLevel,
                                     fatLevel, ringLevel, c.oscAShape, c.oscBShape, c.subShape, c.oscSync, detuneOffset[uu] };
                CopyPhases phases_ { driftPhase[uu], phaseA[uu], phaseB[uu], phaseFm[uu], phaseSub[uu], startDelay[uu] };
                topStep = runOscillators (run_, phases_, inc, fmAt, oscL, oscR, active);
                driftPhase[uu] = phases_.drift;
                phaseA[uu] = phases_.a;
                phaseB[uu] = phases_.b;
                phaseFm[uu] = phases_.fm;
                phaseSub[uu] = phases_.sub;
                startDelay[uu] = phases_.startDelay;

                const int wraps = 1 + (int) (16.0f * topStep * 1.001f / twoPi);
                partialsOverTime (partialPhase[uu], partialWobblePhase[uu], partialRatio, partialGain, inc, fmAt, active, n,
                                  wobbleStepBase, wobbleDepth, partialLevel, wraps, partialSum);

                for (int i = 0; i < n; ++i)
                {
                    if (active[i] == 0)
                        continue;
                    L[i] += (core * (partialSum[i] * gainL) + oscL[i]) * norm;
                    R[i] += (core * (partialSum[i] * gainR) + oscR[i]) * norm;
                }
            }

            for (int i = 0; i < n; ++i)
            {
                const float env = envAt[i];
                if ((runStart + i) % 8 == 0)
                    updateFilters (env, morph, frequencyAt[i]);

                const float grain = grainAmount * noiseIn[i];
                const float air = airIn[i];
                const float amp = 0.22f * env * velocity;
                const float yL = fastmath::tanh ((L[i] + grain + air) * amp * drive * characterDrive);
                const float yR = fastmath::tanh ((R[i] + grain + airRight * air) * amp * drive * characterDrive);

                float oL = filters[filterL].processSample (yL);
                float oR = filters[filterR].processSample (yR);

                if (morph > 0.002f)
                {
                    const float bL = filters[morphFilterL].processSample (yL);
                    const float bR = filters[morphFilterR].processSample (yR);
                    oL = oL + morph * (0.72f * oL + 1.08f * bL - oL);
                    oR = oR + morph * (0.72f * oR + 1.08f * bR - oR);
                }

                if (left != nullptr)
                    left[startSample + runStart + i] += oL;
                if (right != nullptr)
                    right[startSample + runStart + i] += oR;
            }
        }
    }

    if (envelope.isIdle() && ! legatoPending)
        clearCurrentNote();
}

} // namespace velmora
