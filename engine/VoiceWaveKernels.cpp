// The partial sines and their sums, and the voice's drive. Nothing computed here feeds back into
// a phase, so fused multiply-adds are welcome (see CMakeLists.txt); every result stays within
// about 1e-7 of the plain formulas.

#include "VoiceKernels.h"
#include "Dispatch.h"
#include "LaneMath.h"

#include <algorithm>

namespace velmora::voicekernels
{

namespace
{
    using namespace velmora::lanes;

    /** Lane j of the result is the sum of the lanes of v[j]. */
    HALCYRA_LANES_INLINE F4 sumEachRow (F4 v0, F4 v1, F4 v2, F4 v3) noexcept
    {
        const F4 a = __builtin_shufflevector (v0, v1, 0, 4, 2, 6) + __builtin_shufflevector (v0, v1, 1, 5, 3, 7);
        const F4 b = __builtin_shufflevector (v2, v3, 0, 4, 2, 6) + __builtin_shufflevector (v2, v3, 1, 5, 3, 7);
        return __builtin_shufflevector (a, b, 0, 1, 4, 5) + __builtin_shufflevector (a, b, 2, 3, 6, 7);
    }

    /** Two samples' twelve weighted partial sines, each folded to four lanes: partials 0 … 7 of
        each sample in an F8, partials 8 … 11 of both together in one F8. */
    HALCYRA_LANES_INLINE void partialRows (const float* first, const float* second, float fmFirst, float fmSecond,
                                           F8 lowC, F8 highC, F8 lowG, F8 highG, F4& sumFirst, F4& sumSecond) noexcept
    {
        // phase in [0, 2π) plus at most ±0.8 of frequency modulation
        const F8 fm = join (splat<F4> (fmFirst), splat<F4> (fmSecond));
        const F8 lowA = sinNear (load<F8> (first) + lowC * fmFirst) * lowG;
        const F8 lowB = sinNear (load<F8> (second) + lowC * fmSecond) * lowG;
        const F8 high = sinNear (join (load<F4> (first + 8), load<F4> (second + 8)) + highC * fm) * highG;
        sumFirst = (lowHalf (lowA) + highHalf (lowA)) + lowHalf (high);
        sumSecond = (lowHalf (lowB) + highHalf (lowB)) + highHalf (high);
    }

    HALCYRA_DISPATCHED
    void sumPartialsDispatched (float (*phases)[partialLanes], const float* fm, int fmStride, int numSamples,
                                const float* gains, float* sums) noexcept
    {
        alignas (32) float c[partialLanes];
        for (int k = 0; k < partialLanes; ++k)
            c[k] = 0.06f + 0.02f * (float) (k + 1);
        const F8 lowC = load<F8> (c), lowG = load<F8> (gains);
        const F8 highC = join (load<F4> (c + 8), load<F4> (c + 8)), highG = join (load<F4> (gains + 8), load<F4> (gains + 8));

        int i = 0;
        for (; i + 4 <= numSamples; i += 4)
        {
            F4 r0, r1, r2, r3;
            partialRows (phases[i], phases[i + 1], fm[i * fmStride], fm[(i + 1) * fmStride], lowC, highC, lowG, highG, r0, r1);
            partialRows (phases[i + 2], phases[i + 3], fm[(i + 2) * fmStride], fm[(i + 3) * fmStride], lowC, highC, lowG, highG, r2, r3);
            store (sums + i, sumEachRow (r0, r1, r2, r3));
        }
        for (; i < numSamples; ++i)
        {
            F4 row, unused;
            partialRows (phases[i], phases[i], fm[i * fmStride], fm[i * fmStride], lowC, highC, lowG, highG, row, unused);
            sums[i] = (row[0] + row[1]) + (row[2] + row[3]);
        }
    }

    HALCYRA_LANES_INLINE void driveLanes (const DriveSettings& d, const float* left, const float* right, const float* noise,
                                          const float* air, const float* env, float* outLeft, float* outRight) noexcept
    {
        const F8 grain = d.grainAmount * load<F8> (noise);
        const F8 a = load<F8> (air);
        const F8 amp = 0.22f * load<F8> (env) * d.velocity;
        store (outLeft, tanhLanes ((load<F8> (left) + grain + a) * amp * d.drive * d.characterDrive));
        store (outRight, tanhLanes ((load<F8> (right) + grain + d.airRight * a) * amp * d.drive * d.characterDrive));
    }

    HALCYRA_DISPATCHED
    void driveDispatched (const DriveSettings& d, const float* left, const float* right, const float* noise,
                          const float* air, const float* env, int numSamples, float* outLeft, float* outRight) noexcept
    {
        int start = 0;
        for (; start + 8 <= numSamples; start += 8)
            driveLanes (d, left + start, right + start, noise + start, air + start, env + start, outLeft + start, outRight + start);

        if (start < numSamples)
        {
            alignas (32) float in[5][8] {}, out[2][8];
            const int count = numSamples - start;
            for (int j = 0; j < count; ++j)
            {
                in[0][j] = left[start + j];
                in[1][j] = right[start + j];
                in[2][j] = noise[start + j];
                in[3][j] = air[start + j];
                in[4][j] = env[start + j];
            }
            driveLanes (d, in[0], in[1], in[2], in[3], in[4], out[0], out[1]);
            std::copy (out[0], out[0] + count, outLeft + start);
            std::copy (out[1], out[1] + count, outRight + start);
        }
    }
}

void sumPartials (float (*phases)[partialLanes], const float* fm, int fmStride, int numSamples, const float* gains,
                  float* sums) noexcept
{
    sumPartialsDispatched (phases, fm, fmStride, numSamples, gains, sums);
}

void driveRun (const DriveSettings& d, const float* left, const float* right, const float* noise, const float* air,
               const float* env, int numSamples, float* outLeft, float* outRight) noexcept
{
    driveDispatched (d, left, right, noise, air, env, numSamples, outLeft, outRight);
}

} // namespace velmora::voicekernels
