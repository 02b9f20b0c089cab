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

    /** Lane j of the result is the sum of all lanes of v[j]: four rounds of pairing halves. */
    HALCYRA_LANES_INLINE F16 sumEachRow (const F16 (&v)[16]) noexcept
    {
        F16 a[8], b[4], c[2];
        for (int j = 0; j < 8; ++j)
            a[j] = __builtin_shufflevector (v[2 * j], v[2 * j + 1], 0, 16, 2, 18, 4, 20, 6, 22, 8, 24, 10, 26, 12, 28, 14, 30)
                 + __builtin_shufflevector (v[2 * j], v[2 * j + 1], 1, 17, 3, 19, 5, 21, 7, 23, 9, 25, 11, 27, 13, 29, 15, 31);
        for (int j = 0; j < 4; ++j)
            b[j] = __builtin_shufflevector (a[2 * j], a[2 * j + 1], 0, 1, 16, 17, 4, 5, 20, 21, 8, 9, 24, 25, 12, 13, 28, 29)
                 + __builtin_shufflevector (a[2 * j], a[2 * j + 1], 2, 3, 18, 19, 6, 7, 22, 23, 10, 11, 26, 27, 14, 15, 30, 31);
        for (int j = 0; j < 2; ++j)
            c[j] = __builtin_shufflevector (b[2 * j], b[2 * j + 1], 0, 1, 2, 3, 16, 17, 18, 19, 8, 9, 10, 11, 24, 25, 26, 27)
                 + __builtin_shufflevector (b[2 * j], b[2 * j + 1], 4, 5, 6, 7, 20, 21, 22, 23, 12, 13, 14, 15, 28, 29, 30, 31);
        return __builtin_shufflevector (c[0], c[1], 0, 1, 2, 3, 4, 5, 6, 7, 16, 17, 18, 19, 20, 21, 22, 23)
             + __builtin_shufflevector (c[0], c[1], 8, 9, 10, 11, 12, 13, 14, 15, 24, 25, 26, 27, 28, 29, 30, 31);
    }

    HALCYRA_DISPATCHED
    void sumPartialsDispatched (float (*phases)[partialLanes], const float* fm, int fmStride, int numSamples,
                                const float* gains, float* sums) noexcept
    {
        F16 C;
        for (int k = 0; k < partialLanes; ++k)
            C[k] = 0.06f + 0.02f * (float) (k + 1);
        const F16 G = load<F16> (gains);

        for (int start = 0; start < numSamples; start += 16)
        {
            F16 v[16];
            for (int j = 0; j < 16; ++j)
            {
                const int i = start + j;
                // phase in [0, 2π) plus at most ±0.8 of frequency modulation
                v[j] = i < numSamples ? sinNear (load<F16> (phases[i]) + C * fm[i * fmStride]) * G : F16 {};
            }

            const F16 s = sumEachRow (v);
            const int count = std::min (16, numSamples - start);
            __builtin_memcpy (sums + start, &s, sizeof (float) * (size_t) count);
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
