// Pitch and every phase that accumulates over a note, in the plain formulas' float operations and
// order. This file is compiled without fused multiply-adds (see CMakeLists.txt): a phase that
// rounded differently even once in a while would wander off over a long note.

#include "VoiceKernels.h"
#include "Dispatch.h"
#include "LaneMath.h"
#include "Waveshapes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace velmora::voicekernels
{

namespace
{
    using namespace velmora::lanes;

    template <typename V>
    HALCYRA_LANES_INLINE V wrapUp (V x, int turns) noexcept
    {
        for (int i = 0; i < turns; ++i)
            x = x >= twoPi ? x - twoPi : x;
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
                return t < 1.0f ? t : (t < 3.0f ? 2.0f - t : t - 4.0f);
            }
            case saw:    return 2.0f * phase / twoPi - 1.0f;
            case square: return phase < pi ? one : minusOne;
            case pulse:  return width > phase / twoPi ? one : minusOne;
            case noise:  return r;
            default:     return sinNear (phase);
        }
    }

    /** error in units of the float step of the binade of the float with these bits (2^−23 of it). */
    HALCYRA_LANES_INLINE F16 toSteps (D16 error, I16 bits) noexcept
    {
        const I16 inverseBinade = 0x7f000000 - (bits & 0x7f800000);   // 1 / 2^e, exactly
        F16 scale;
        __builtin_memcpy (&scale, &inverseBinade, sizeof (scale));
        return __builtin_convertvector (error * __builtin_convertvector (scale, D16), F16) * 8388608.0f;
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
        pitch steps (independent per sample, sixteen values at a time), the oscillator phases
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
                    delay = waiting ? delay - 1.0f : delay;
                    waited = waiting ? waited + 1.0f : waited;
                    const V d = drift + s.driftStep;
                    drift = waiting ? drift : (d >= twoPi ? d - twoPi : d);
                    store (w.waiting + i * stride, waiting ? one : zero);
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
            F16 anyNear {};
            for (int e = 0; e < padded; e += 16)
            {
                const F16 drift = load<F16> (w.drift + e);
                const F16 cents = load<F16> (w.centsBase + e)
                                + s.driftDepth * (sinNear (drift) + 0.35f * sinNear (0.47f * drift + load<F16> (w.detuneOffset + e)));
                const F16 x = cents / 1200.0f;
                F16 power;
                if constexpr (smallPitch)
                {
                    // Rounded to float, the double result is the correctly rounded power. The C
                    // library's powf, which the plain formulas call, rounds the other way only
                    // when the exact value lies within 0.002 of a float step from a rounding
                    // midpoint (checked for every float x with 5·10⁻¹⁰ ≤ |x| ≤ 1/16); those rare
                    // values are passed to powf below, so both give the same step to the last bit.
                    const D16 exact = exp2Small (x);
                    power = __builtin_convertvector (exact, F16);
                    // How far the exact value lies from the float it rounded to, in float steps of
                    // that float's binade and of the one below it (a power of 1 has finer steps
                    // below); near ±0.5 means near a midpoint. Masks stay in float lanes.
                    I16 bits;
                    __builtin_memcpy (&bits, &power, sizeof (bits));
                    const D16 error = exact - __builtin_convertvector (power, D16);
                    const F16 offset = toSteps (error, bits), offsetBelow = toSteps (error, bits - 1);
                    const F16 near = (offset * offset > 0.49f * 0.49f || offsetBelow * offsetBelow > 0.49f * 0.49f)
                                         ? splat<F16> (1.0f) : F16 {};
                    anyNear += near;
                    store (w.nearMidpoint + e, near);
                }
                else
                {
                    for (int l = 0; l < 16; ++l)
                        power[l] = std::pow (2.0f, x[l]);
                }

                const F16 inc = power * load<F16> (w.frequency + e) * twoPi / s.sampleRate;
                store (out.inc + e, load<F16> (w.waiting + e) != 0.0f ? F16 {} : inc);
                store (w.x + e, x);
            }

            if constexpr (smallPitch)
            {
                float nearCount = 0.0f;
                for (int l = 0; l < 16; ++l)
                    nearCount += anyNear[l];
                if (nearCount > 0.0f)
                    for (int e = 0; e < count; ++e)
                        if (w.nearMidpoint[e] != 0.0f && w.waiting[e] == 0.0f)
                            out.inc[e] = std::pow (2.0f, w.x[e]) * w.frequency[e] * twoPi / s.sampleRate;
            }
        }

        // Pass 3: the oscillator phases. A step of 0 (waiting) leaves every phase where it was.
        {
            V A = load<V> (ph.a), B = load<V> (ph.b), F = load<V> (ph.fm), S = load<V> (ph.sub);
            const V zero {};
            for (int i = 0; i < numSamples; ++i)
            {
                const V inc = load<V> (out.inc + i * stride);
                const V oldA = A;
                A = wrapUp (A + inc, s.wrapsA);
                if (s.sync)
                    B = A < oldA ? zero : B;
                B = wrapUp (B + inc, s.wrapsA);
                F = wrapUp (F + s.fmRatio * inc, s.wrapsFm);
                S = wrapUp (S + inc / s.subDivisor, s.wrapsA);
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
        {
            const bool needFm = s.fmIndex != 0.0f, needA = s.aLevel != 0.0f, needB = s.bLevel != 0.0f;
            const bool needSub = s.subLevel != 0.0f, needFat = s.fatLevel != 0.0f;
            const F16 zero {}, one = splat<F16> (1.0f), minusOne = splat<F16> (-1.0f);

            for (int e = 0; e < padded; e += 16)
            {
                const auto waiting = load<F16> (w.waiting + e) != 0.0f;
                const F16 r = load<F16> (w.noise + e);
                const F16 fm = needFm ? s.fmIndex * shapeLanes (s.bShape, load<F16> (w.fm + e), s.pwB, r) : zero;
                store (out.fm + e, waiting ? zero : fm);

                if (! (needA || needB || needSub || needFat))
                {
                    store (out.oscL + e, zero);
                    store (out.oscR + e, zero);
                    continue;
                }

                F16 aPhase = load<F16> (w.a + e) + 1.5f * fm;   // |1.5·fm| < 4: one turn either way is enough
                aPhase = aPhase >= twoPi ? aPhase - twoPi : aPhase;
                aPhase = aPhase < 0.0f ? aPhase + twoPi : aPhase;
                const F16 sub = load<F16> (w.sub + e);

                const F16 a = needA ? shapeLanes (s.aShape, aPhase, s.pw, r) * s.aLevel : zero;
                const F16 b = needB ? shapeLanes (s.bShape, load<F16> (w.b + e), s.pwB, r) * s.bLevel : zero;
                const F16 sb = needSub ? shapeLanes (s.subShape, sub, 0.5f, r) * s.subLevel : zero;
                const F16 fat = needFat ? (sub < pi ? one : minusOne) * s.fatLevel : zero;
                const F16 ring = a * b * s.ringLevel;
                const F16 l = 0.62f * a + 0.54f * b + 0.52f * sb + 0.18f * fat + 0.52f * ring;
                const F16 rr = 0.54f * a + 0.62f * b + 0.52f * sb + 0.18f * fat + 0.52f * ring;
                store (out.oscL + e, waiting ? zero : l);
                store (out.oscR + e, waiting ? zero : rr);
            }
        }
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

    /** Lanes are partials; the copies run side by side so that their phase chains overlap. The
        wobble phases advance exactly; their sines follow by rotation over the run (the wobble step
        is below 3·10⁻⁴ rad, and the sine only scales the partial step by 1 ± 2.5·10⁻⁴). */
    template <std::size_t N>
    HALCYRA_LANES_INLINE void partialLanesFor (float (*phases)[partialLanes], float (*wobbles)[partialLanes],
                                               const OscillatorRun& osc, int numSamples, float wobbleStep,
                                               float wobbleDepth, int wraps, float (*out)[runLength][partialLanes]) noexcept
    {
        F16 P[N], Wp[N], ws[N], wc[N];
        F16 K;
        for (int k = 0; k < partialLanes; ++k)
            K[k] = 0.00001f * (float) k;
        const F16 R = load<F16> (partialRatio);
        const F16 step = K + wobbleStep;
        const F16 rotateSin = sinNear (step), rotateCos = sinNear (step + 1.57079633f);
        const float wobbleScale = 0.00018f * wobbleDepth;   // rounds apart from the sine's last bits only

        for (std::size_t u = 0; u < N; ++u)
        {
            P[u] = load<F16> (phases[u]);
            Wp[u] = load<F16> (wobbles[u]);
            ws[u] = sinNear (Wp[u]);
            wc[u] = sinNear (Wp[u] + 1.57079633f);
        }

        for (int i = 0; i < numSamples; ++i)
        {
            for (std::size_t u = 0; u < N; ++u)
            {
                if (i < osc.firstActive[u])
                    continue;

                const F16 w = (Wp[u] + wobbleStep) + K;
                Wp[u] = w >= twoPi ? w - twoPi : w;
                const F16 nextSin = ws[u] * rotateCos + wc[u] * rotateSin;
                wc[u] = wc[u] * rotateCos - ws[u] * rotateSin;
                ws[u] = nextSin;

                F16 x = P[u] + R * osc.inc[i * osc.stride + (int) u] * (1.0f + ws[u] * wobbleScale);
                P[u] = wrapUp (x, wraps);
                store (out[u][i], P[u]);
            }
        }

        for (std::size_t u = 0; u < N; ++u)
        {
            store (phases[u], P[u]);
            store (wobbles[u], Wp[u]);
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

void advancePartials (float (*phases)[partialLanes], float (*wobbles)[partialLanes], int numCopies,
                      const OscillatorRun& osc, int numSamples, float wobbleStep, float wobbleDepth, int wraps,
                      float (*phasesOut)[runLength][partialLanes]) noexcept
{
    partialsDispatched (phases, wobbles, numCopies, osc, numSamples, wobbleStep, wobbleDepth, wraps, phasesOut);
}

} // namespace velmora::voicekernels
