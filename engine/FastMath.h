#pragma once

#include <cmath>

namespace velmora::fastmath
{

/** sin(x) for |x| up to a few thousand radians, within about 1e-7 of std::sin. Written without
    branches or calls so that loops over it vectorise. */
inline float sin (float x) noexcept
{
    constexpr float invTwoPi = 0.15915494f;
    constexpr float twoPiHi = 6.28125f;              // 2π split so q·2π is subtracted exactly
    constexpr float twoPiLo = 0.0019353071795864769f;
    constexpr float pi = 3.14159265f, halfPi = 1.57079633f;

    const float q = std::floor (x * invTwoPi + 0.5f);
    float y = (x - q * twoPiHi) - q * twoPiLo;       // now in [−π, π]
    y = y > halfPi ? pi - y : y;                     // fold into [−π/2, π/2]
    y = y < -halfPi ? -pi - y : y;

    const float z = y * y;                           // Taylor to y¹³: error below 1e-9 there
    float p = -1.6059043836821614e-10f;
    p = p * z + 2.5052108385441720e-8f;
    p = p * z - 2.7557319223985893e-6f;
    p = p * z + 1.9841269841269841e-4f;
    p = p * z - 8.3333333333333333e-3f;
    p = p * z + 1.6666666666666667e-1f;
    return y - y * z * p;
}

/** tanh(x), within about 2e-7 of std::tanh. */
inline float tanh (float x) noexcept
{
    const float ax = std::fabs (x);
    if (ax < 0.5f)
    {
        // Odd series: small arguments lose nothing to cancellation this way.
        const float z = x * x;
        return x * (1.0f + z * (-0.33333334f + z * (0.13333334f + z * (-0.053968254f + z * (0.021869488f + z * -0.0088632355f)))));
    }
    const float e = std::exp (-2.0f * ax);
    const float t = (1.0f - e) / (1.0f + e);
    return std::copysign (t, x);
}

} // namespace velmora::fastmath
