// Pitch, every phase that accumulates over a note, and the filters, in the plain formulas' float
// operations and order. This file is compiled without fused multiply-adds (see CMakeLists.txt): a
// phase that rounded differently even once in a while would wander off over a long note.

#include "VoiceKernels.h"
#include "Dispatch.h"
#include "LaneMath.h"
#include "Waveshapes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velmora::voicekernels
{

namespace
{
    using namespace velmora::lanes;

    template <typename V>
    HALCYRA_LANES_INLINE V wrapUp (V x, int turns) noexcept
    {
        for (int i = 0; i < turns; ++i)
            x = select (x >= twoPi, x - twoPi, x);
        return x;
    }

    /** The waveform shapes on phases in [0, 2π): triangle and square are the exact piecewise forms
        of (2/π)·asin(sin φ) and of the sign of sin φ there. */
    template <typename V>
    HALCYRA_LANES_INLINE V shapeLanes (int shape, V phase, float width, V r) noexcept
    {
        const V one = splat<V> (1.0f), minusOne = splat<V> (-1.0f);
        switch (shape)
        {
            case triangle:
            {
                const V t = phase * (2.0f / pi);   // 0 … 4 over the cycle
                return select (t < 1.0f, t, select (t < 3.0f, 2.0f - t, t - 4.0f));
            }
            case saw:    return 2.0f * phase / twoPi - 1.0f;
            case square: return select (phase < pi, one, minusOne);
            case pulse:  return select (width > phase / twoPi, one, minusOne);
            case noise:  return r;
            default:     return sinNear (phase);
        }
    }

    /** 2^x rounded to float, and 1 where the exact value lies too near a rounding midpoint to be
        sure powf rounds it the same way. Rounding a double to float drops its 29 lowest mantissa
        bits; the midpoint is where they read 2^28, and "near" is within 2^22 of it (1/128 of a
        float step): shifted by 2^22 below the midpoint, those are the values below 2^23. */
    HALCYRA_LANES_INLINE F4 powerOfTwo (F4 x, F4& nearMidpoint) noexcept
    {
        using L4 = long long __attribute__ ((vector_size (32)));
        const D4 exact = exp2Small (x);
        L4 bits;
        __builtin_memcpy (&bits, &exact, sizeof (bits));
        constexpr long long half = 1LL << 28, zone = 1LL << 22;
        const L4 near = (((bits & 0x1fffffff) - (half - zone)) & ~(2 * zone - 1)) == 0;
        const D4 flags = select (near, D4 {} + 1.0, D4 {});
        nearMidpoint = __builtin_convertvector (flags, F4);
        return __builtin_convertvector (exact, F4);
    }

    /** Whether any of eight flags (1.0 or 0.0) is set: their bits read as four words. */
    inline bool anyFlag (const float* flags) noexcept
    {
        std::uint64_t words[4];
        std::memcpy (words, flags, sizeof (words));
        return ((words[0] | words[1]) | (words[2] | words[3])) != 0;
    }

    /** Stores the lanes of the copies that play; the others keep their phases for when the unison
        count rises again. */
    template <typename V>
    HALCYRA_LANES_INLINE void keepCopies (float* state, V values, int numCopies) noexcept
    {
        for (int u = 0; u < numCopies; ++u)
            state[u] = values[u];
    }

    /** Scratch for one run, [sample · stride + copy] like OscillatorRun. */
    struct OscillatorScratch
    {
        static constexpr int capacity = OscillatorRun::capacity;
        alignas (64) float drift[capacity];
        alignas (64) float waiting[capacity];    // 1 while the copy waits out its start delay
        alignas (64) float frequency[capacity];
        alignas (64) float noise[capacity];
        alignas (64) float x[capacity];          // cents / 1200
        alignas (64) float centsBase[capacity], detuneOffset[capacity];
        alignas (64) float nearMidpoint[capacity];   // 1 where powf must decide the rounding
        alignas (64) float a[capacity], b[capacity], fm[capacity], sub[capacity];
    };

    /** The oscillators over a run in four passes: the drift phases (serial, copies as lanes), the
        pitch steps (independent per sample, eight values at a time), the oscillator phases
        (serial) and the shapes (independent again). Splitting the serial chains from the long
        independent arithmetic lets the processor overlap samples instead of waiting on each one.
        Values are packed with a stride of the copy count, so the independent passes compute no
        empty lanes: the serial passes store whole vectors at each sample's offset, and the lanes
        past the copy count are overwritten by the next sample (the last ones land in padding). */
    template <typename V, bool smallPitch>
    HALCYRA_LANES_INLINE void oscillatorLanes (const OscillatorSettings& s, CopyPhases ph, const float* frequency,
                                               const float* noise, int numSamples, OscillatorRun& out,
                                               OscillatorScratch& w) noexcept
    {
        const int stride = s.numCopies;
        const int count = numSamples * stride;
        const int padded = (count + 15) & ~15;
        out.stride = stride;

        // Pass 1: start delays and drift phases.
        {
            V drift = load<V> (ph.drift), delay = load<V> (ph.startDelay), waited {};
            const V one = splat<V> (1.0f), zero {};
            const V base = load<V> (s.centsBase), detune = load<V> (s.detuneOffset);
            // Mostly no copy waits and no drift phase can reach 2π within the run: then each
            // step is the bare addition (the same float operation the wrap would start with).
            float largestDrift = 0.0f, largestDelay = 0.0f;
            for (int u = 0; u < stride; ++u)
            {
                largestDrift = std::max (largestDrift, drift[u]);
                largestDelay = std::max (largestDelay, delay[u]);
            }
            const bool plain = largestDelay <= 0.0f && largestDrift + (float) (numSamples + 1) * s.driftStep * 1.01f < twoPi;

            for (int i = 0; i < numSamples; ++i)
            {
                if (plain)
                {
                    drift = drift + s.driftStep;
                }
                else
                {
                    const auto waiting = delay > 0.0f;
                    delay = select (waiting, delay - 1.0f, delay);
                    waited = select (waiting, waited + 1.0f, waited);
                    const V d = drift + s.driftStep;
                    drift = select (waiting, drift, select (d >= twoPi, d - twoPi, d));
                    store (w.waiting + i * stride, select (waiting, one, zero));
                }

                store (w.drift + i * stride, drift);
                store (w.frequency + i * stride, splat<V> (frequency[i]));
                store (w.noise + i * stride, splat<V> (noise[i]));
                store (w.centsBase + i * stride, base);
                store (w.detuneOffset + i * stride, detune);
            }
            if (plain)
                std::fill (w.waiting, w.waiting + count, 0.0f);
            for (int e = count; e < padded; ++e)
                w.drift[e] = w.waiting[e] = w.frequency[e] = w.noise[e] = w.centsBase[e] = w.detuneOffset[e] = 0.0f;

            keepCopies (ph.drift, drift, stride);
            keepCopies (ph.startDelay, delay, stride);
            for (int u = 0; u < stride; ++u)
                out.firstActive[u] = (int) waited[u];
        }

        // Pass 2: cents and pitch steps.
        {
            for (int e = 0; e < padded; e += 8)
            {
                const F8 drift = load<F8> (w.drift + e);
                const F8 cents = load<F8> (w.centsBase + e)
                               + s.driftDepth * (sinNear (drift) + 0.35f * sinNear (0.47f * drift + load<F8> (w.detuneOffset + e)));
                const F8 x = cents / 1200.0f;
                F8 power;
                if constexpr (smallPitch)
                {
                    // Rounded to float, the double result is the correctly rounded power. The C
                    // library's powf, which the plain formulas call, rounds the other way only
                    // when the exact value lies within 0.002 of a float step from a rounding
                    // midpoint (checked for every float x with 5·10⁻¹⁰ ≤ |x| ≤ 1/16); those rare
                    // values are passed to powf below, so both give the same step to the last bit.
                    F4 nearLow, nearHigh;
                    power = join (powerOfTwo (lowHalf (x), nearLow), powerOfTwo (highHalf (x), nearHigh));
                    store (w.nearMidpoint + e, join (nearLow, nearHigh));
                }
                else
                {
                    for (int l = 0; l < 8; ++l)
                        power[l] = std::pow (2.0f, x[l]);
                }

                const F8 inc = power * load<F8> (w.frequency + e) * twoPi / s.sampleRate;
                store (out.inc + e, select (load<F8> (w.waiting + e) != 0.0f, F8 {}, inc));
                store (w.x + e, x);
            }

            if constexpr (smallPitch)
                for (int group = 0; group < padded / 8; ++group)
                    if (anyFlag (w.nearMidpoint + group * 8))
                        for (int e = group * 8; e < std::min (count, group * 8 + 8); ++e)
                            if (w.nearMidpoint[e] != 0.0f && w.waiting[e] == 0.0f)
                                out.inc[e] = std::pow (2.0f, w.x[e]) * w.frequency[e] * twoPi / s.sampleRate;
        }

        const bool needFm = s.fmIndex != 0.0f, needA = s.aLevel != 0.0f, needB = s.bLevel != 0.0f;
        const bool needSub = s.subLevel != 0.0f, needFat = s.fatLevel != 0.0f;
        const bool anyShape = needFm || needA || needB || needSub || needFat;

        // Pass 3: the oscillator phases. A step of 0 (waiting) leaves every phase where it was.
        // With every layer silent and no FM they still advance, but nothing reads them per sample.
        {
            V A = load<V> (ph.a), B = load<V> (ph.b), F = load<V> (ph.fm), S = load<V> (ph.sub);
            const V zero {};
            for (int i = 0; i < numSamples; ++i)
            {
                const V inc = load<V> (out.inc + i * stride);
                const V oldA = A;
                A = wrapUp (A + inc, s.wrapsA);
                if (s.sync)
                    B = select (A < oldA, zero, B);
                B = wrapUp (B + inc, s.wrapsA);
                F = wrapUp (F + s.fmRatio * inc, s.wrapsFm);
                S = wrapUp (S + inc / s.subDivisor, s.wrapsA);
                if (! anyShape)
                    continue;
                store (w.a + i * stride, A);
                store (w.b + i * stride, B);
                store (w.fm + i * stride, F);
                store (w.sub + i * stride, S);
            }
            for (int e = count; e < padded; ++e)
                w.a[e] = w.b[e] = w.fm[e] = w.sub[e] = 0.0f;

            keepCopies (ph.a, A, stride);
            keepCopies (ph.b, B, stride);
            keepCopies (ph.fm, F, stride);
            keepCopies (ph.sub, S, stride);
        }

        // Pass 4: the shapes.
        if (! anyShape)
        {
            std::fill (out.fm, out.fm + padded, 0.0f);
            std::fill (out.oscL, out.oscL + padded, 0.0f);
            std::fill (out.oscR, out.oscR + padded, 0.0f);
        }
        else
        {
            const F8 zero {}, one = splat<F8> (1.0f), minusOne = splat<F8> (-1.0f);

            for (int e = 0; e < padded; e += 8)
            {
                const auto waiting = load<F8> (w.waiting + e) != 0.0f;
                const F8 r = load<F8> (w.noise + e);
                const F8 fm = needFm ? s.fmIndex * shapeLanes (s.bShape, load<F8> (w.fm + e), s.pwB, r) : zero;
                store (out.fm + e, select (waiting, zero, fm));

                if (! (needA || needB || needSub || needFat))
                {
                    store (out.oscL + e, zero);
                    store (out.oscR + e, zero);
                    continue;
                }

                F8 aPhase = load<F8> (w.a + e) + 1.5f * fm;   // |1.5·fm| < 4: one turn either way is enough
                aPhase = select (aPhase >= twoPi, aPhase - twoPi, aPhase);
                aPhase = select (aPhase < 0.0f, aPhase + twoPi, aPhase);
                const F8 sub = load<F8> (w.sub + e);

                const F8 a = needA ? shapeLanes (s.aShape, aPhase, s.pw, r) * s.aLevel : zero;
                const F8 b = needB ? shapeLanes (s.bShape, load<F8> (w.b + e), s.pwB, r) * s.bLevel : zero;
                const F8 sb = needSub ? shapeLanes (s.subShape, sub, 0.5f, r) * s.subLevel : zero;
                const F8 fat = needFat ? select (sub < pi, one, minusOne) * s.fatLevel : zero;
                const F8 ring = a * b * s.ringLevel;
                const F8 l = 0.62f * a + 0.54f * b + 0.52f * sb + 0.18f * fat + 0.52f * ring;
                const F8 rr = 0.54f * a + 0.62f * b + 0.52f * sb + 0.18f * fat + 0.52f * ring;
                store (out.oscL + e, select (waiting, zero, l));
                store (out.oscR + e, select (waiting, zero, rr));
            }
        }
    }

    HALCYRA_DISPATCHED
    void filtersDispatched (FilterLanes& f, const float (*inL)[FilterLanes::lanes], const float (*inR)[FilterLanes::lanes],
                            int numSamples, float (*outL)[FilterLanes::lanes], float (*outR)[FilterLanes::lanes]) noexcept
    {
        F8 s1[4], s2[4], g[4], h[4], r2[4];
        for (int k = 0; k < 4; ++k)
        {
            s1[k] = load<F8> (f.s1[k]);
            s2[k] = load<F8> (f.s2[k]);
            g[k] = load<F8> (f.g[k]);
            h[k] = load<F8> (f.h[k]);
            r2[k] = load<F8> (f.r2[k]);
        }
        const F8 morph = load<F8> (f.morph);
        const auto morphOn = morph > 0.002f;

        // TptFilter::processSample, lane by lane.
        auto step = [&] (int k, F8 x, bool bandpass)
        {
            const F8 yHP = h[k] * (x - s1[k] * (g[k] + r2[k]) - s2[k]);
            const F8 yBP = yHP * g[k] + s1[k];
            s1[k] = yHP * g[k] + yBP;
            const F8 yLP = yBP * g[k] + s2[k];
            s2[k] = yBP * g[k] + yLP;
            return bandpass ? yBP : yLP;
        };

        for (int i = 0; i < numSamples; ++i)
        {
            const F8 xL = load<F8> (inL[i]), xR = load<F8> (inR[i]);
            F8 oL = step (0, xL, false);
            F8 oR = step (1, xR, false);

            if (f.anyMorph)
            {
                // Lanes whose morph is off neither run the band-pass pair nor change it.
                const F8 keep1L = s1[2], keep2L = s2[2], keep1R = s1[3], keep2R = s2[3];
                const F8 bL = step (2, xL, true);
                const F8 bR = step (3, xR, true);
                s1[2] = select (morphOn, s1[2], keep1L);
                s2[2] = select (morphOn, s2[2], keep2L);
                s1[3] = select (morphOn, s1[3], keep1R);
                s2[3] = select (morphOn, s2[3], keep2R);
                oL = select (morphOn, oL + morph * (0.72f * oL + 1.08f * bL - oL), oL);
                oR = select (morphOn, oR + morph * (0.72f * oR + 1.08f * bR - oR), oR);
            }

            store (outL[i], oL);
            store (outR[i], oR);
        }

        for (int k = 0; k < 4; ++k)
        {
            store (f.s1[k], s1[k]);
            store (f.s2[k], s2[k]);
        }
    }

    HALCYRA_DISPATCHED
    void powersDispatched (const float* x, float* out, int count) noexcept
    {
        int e = 0;
        for (; e + 4 <= count; e += 4)
        {
            F4 near;
            const F4 power = powerOfTwo (load<F4> (x + e), near);
            for (int l = 0; l < 4; ++l)
                out[e + l] = near[l] != 0.0f ? std::pow (2.0f, x[e + l]) : power[l];
        }
        for (; e < count; ++e)
            out[e] = std::pow (2.0f, x[e]);
    }

    HALCYRA_DISPATCHED
    void oscillatorsDispatched (const OscillatorSettings& s, CopyPhases ph, const float* frequency, const float* noise,
                                int numSamples, bool smallPitch, OscillatorRun& out) noexcept
    {
        OscillatorScratch scratch;
        if (s.numCopies <= 4)
        {
            if (smallPitch) oscillatorLanes<F4, true>  (s, ph, frequency, noise, numSamples, out, scratch);
            else            oscillatorLanes<F4, false> (s, ph, frequency, noise, numSamples, out, scratch);
        }
        else
        {
            if (smallPitch) oscillatorLanes<F8, true>  (s, ph, frequency, noise, numSamples, out, scratch);
            else            oscillatorLanes<F8, false> (s, ph, frequency, noise, numSamples, out, scratch);
        }
    }

    alignas (64) constexpr float partialRatio[partialLanes] { 0.5f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 8.0f,
                                                              10.0f, 12.0f, 14.0f, 16.0f, 0.0f, 0.0f, 0.0f, 0.0f };

    /** One group of partials (V lanes of them) of one copy: its wobble, rotated sine and phase. */
    template <typename V>
    struct PartialGroup
    {
        V phase, wobble, wobbleSin, wobbleCos;

        void start (const float* phases, const float* wobbles) noexcept
        {
            phase = load<V> (phases);
            wobble = load<V> (wobbles);
            wobbleSin = sinNear (wobble);
            wobbleCos = sinNear (wobble + 1.57079633f);
        }

        HALCYRA_LANES_INLINE void advance (V ratio, V offset, V rotateSin, V rotateCos, float wobbleStep,
                                           float wobbleScale, float inc, int wraps) noexcept
        {
            const V w = (wobble + wobbleStep) + offset;
            wobble = select (w >= twoPi, w - twoPi, w);
            const V nextSin = wobbleSin * rotateCos + wobbleCos * rotateSin;
            wobbleCos = wobbleCos * rotateCos - wobbleSin * rotateSin;
            wobbleSin = nextSin;
            phase = wrapUp (phase + ratio * inc * (1.0f + wobbleSin * wobbleScale), wraps);
        }
    };

    /** Lanes are partials, 0 … 7 in an F8 and 8 … 11 in an F4; the copies run side by side so
        that their phase chains overlap. The wobble phases advance exactly; their sines follow by
        rotation over the run (the wobble step is below 3·10⁻⁴ rad, and the sine only scales the
        partial step by 1 ± 2.5·10⁻⁴). */
    template <std::size_t N>
    HALCYRA_LANES_INLINE void partialLanesFor (float (*phases)[partialLanes], float (*wobbles)[partialLanes],
                                               const OscillatorRun& osc, int numSamples, float wobbleStep,
                                               float wobbleDepth, int wraps, float (*out)[runLength][partialLanes]) noexcept
    {
        PartialGroup<F8> low[N];
        PartialGroup<F4> high[N];
        alignas (32) float offsets[partialLanes];
        for (int k = 0; k < partialLanes; ++k)
            offsets[k] = 0.00001f * (float) k;
        const F8 lowOffset = load<F8> (offsets), lowRatio = load<F8> (partialRatio);
        const F4 highOffset = load<F4> (offsets + 8), highRatio = load<F4> (partialRatio + 8);
        const F8 lowRotateSin = sinNear (lowOffset + wobbleStep), lowRotateCos = sinNear (lowOffset + wobbleStep + 1.57079633f);
        const F4 highRotateSin = sinNear (highOffset + wobbleStep), highRotateCos = sinNear (highOffset + wobbleStep + 1.57079633f);
        const float wobbleScale = 0.00018f * wobbleDepth;   // rounds apart from the sine's last bits only

        for (std::size_t u = 0; u < N; ++u)
        {
            low[u].start (phases[u], wobbles[u]);
            high[u].start (phases[u] + 8, wobbles[u] + 8);
        }

        for (int i = 0; i < numSamples; ++i)
        {
            for (std::size_t u = 0; u < N; ++u)
            {
                if (i < osc.firstActive[u])
                    continue;

                const float inc = osc.inc[i * osc.stride + (int) u];
                low[u].advance (lowRatio, lowOffset, lowRotateSin, lowRotateCos, wobbleStep, wobbleScale, inc, wraps);
                high[u].advance (highRatio, highOffset, highRotateSin, highRotateCos, wobbleStep, wobbleScale, inc, wraps);
                store (out[u][i], low[u].phase);
                store (out[u][i] + 8, high[u].phase);
            }
        }

        for (std::size_t u = 0; u < N; ++u)
        {
            store (phases[u], low[u].phase);
            store (phases[u] + 8, high[u].phase);
            store (wobbles[u], low[u].wobble);
            store (wobbles[u] + 8, high[u].wobble);
        }
    }

    HALCYRA_DISPATCHED
    void partialsDispatched (float (*phases)[partialLanes], float (*wobbles)[partialLanes], int numCopies,
                             const OscillatorRun& osc, int numSamples, float wobbleStep, float wobbleDepth, int wraps,
                             float (*out)[runLength][partialLanes]) noexcept
    {
        switch (numCopies)
        {
            case 1:  partialLanesFor<1> (phases, wobbles, osc, numSamples, wobbleStep, wobbleDepth, wraps, out); break;
            case 2:  partialLanesFor<2> (phases, wobbles, osc, numSamples, wobbleStep, wobbleDepth, wraps, out); break;
            case 3:  partialLanesFor<3> (phases, wobbles, osc, numSamples, wobbleStep, wobbleDepth, wraps, out); break;
            case 4:  partialLanesFor<4> (phases, wobbles, osc, numSamples, wobbleStep, wobbleDepth, wraps, out); break;
            default: partialLanesFor<5> (phases, wobbles, osc, numSamples, wobbleStep, wobbleDepth, wraps, out); break;
        }
    }
}

void runOscillators (const OscillatorSettings& s, CopyPhases ph, const float* frequency, const float* noise,
                     int numSamples, OscillatorRun& out) noexcept
{
    // The fast power holds for |cents| up to 75 (|x| ≤ 1/16); the parameters allow about 41.
    float largestBase = 0.0f;
    for (int u = 0; u < s.numCopies; ++u)
        largestBase = std::max (largestBase, std::abs (s.centsBase[u]));
    const bool smallPitch = largestBase + 1.36f * std::abs (s.driftDepth) < 75.0f;

    oscillatorsDispatched (s, ph, frequency, noise, numSamples, smallPitch, out);
}

void powersOfTwo (const float* x, float* out, int count) noexcept
{
    powersDispatched (x, out, count);
}

void filterLanesRun (FilterLanes& f, const float (*inL)[FilterLanes::lanes], const float (*inR)[FilterLanes::lanes],
                     int numSamples, float (*outL)[FilterLanes::lanes], float (*outR)[FilterLanes::lanes]) noexcept
{
    filtersDispatched (f, inL, inR, numSamples, outL, outR);
}

void advancePartials (float (*phases)[partialLanes], float (*wobbles)[partialLanes], int numCopies,
                      const OscillatorRun& osc, int numSamples, float wobbleStep, float wobbleDepth, int wraps,
                      float (*phasesOut)[runLength][partialLanes]) noexcept
{
    partialsDispatched (phases, wobbles, numCopies, osc, numSamples, wobbleStep, wobbleDepth, wraps, phasesOut);
}

} // namespace velmora::voicekernels
