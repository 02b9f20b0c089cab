#pragma once

#include <cmath>

namespace velmora
{

constexpr float twoPi = 6.2831855f;
constexpr float pi    = 3.1415927f;

enum Waveshape : int { sine, triangle, saw, square, pulse, noise };

/** φ is a phase in [0, 2π), w a pulse width, r this sample's bipolar noise draw. */
inline float waveshape (int shape, float phase, float width, float r) noexcept
{
    switch (shape)
    {
        case triangle: return (2.0f / pi) * std::asin (std::sin (phase));
        case saw:      return 2.0f * phase / twoPi - 1.0f;
        case square:   return std::sin (phase) >= 0.0f ? 1.0f : -1.0f;
        case pulse:    return width > phase / twoPi ? 1.0f : -1.0f;
        case noise:    return r;
        default:       return std::sin (phase);
    }
}

/** Subtracts or adds 2π until the phase lies in [0, 2π). */
inline float wrapPhase (float phase) noexcept
{
    while (phase >= twoPi) phase -= twoPi;
    while (phase < 0.0f)   phase += twoPi;
    return phase;
}

} // namespace velmora
