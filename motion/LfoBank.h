#pragma once

#include <array>
#include <cmath>

namespace velmora
{

/** Eight free-running unipolar LFOs. Their waveforms are fixed by number: 1 and 5 sine, 2 and 6
    triangle, 3 and 7 rising ramp, 4 and 8 square. They advance by whole blocks. */
class LfoBank
{
public:
    static constexpr int numLfos = 8;
    static constexpr double twoPi = 6.283185307179586;

    /** Advances every phase by one block and recomputes the outputs. rates are in Hz. */
    void advance (const float* rates, int numSamples, double sampleRate) noexcept
    {
        if (sampleRate <= 0.0)
            return;

        for (size_t k = 0; k < (size_t) numLfos; ++k)
        {
            const double rate = std::min (12.0, std::max (0.02, (double) rates[k]));
            double phase = phases[k] + twoPi * rate * (double) numSamples / sampleRate;
            while (phase >= twoPi)
                phase -= twoPi;
            phases[k] = phase;
            values[k] = std::min (1.0f, std::max (0.0f, shape ((int) k, phase)));
        }
    }

    static float shape (int lfo, double phase) noexcept
    {
        switch (lfo % 4)
        {
            case 0:  return (float) (0.5 + 0.5 * std::sin (phase));
            case 1:  { const double t = phase / twoPi; return (float) (1.0 - std::abs (2.0 * t - 1.0)); }
            case 2:  return (float) (phase / twoPi);
            default: return std::sin (phase) >= 0.0 ? 1.0f : 0.0f;
        }
    }

    float value (int lfo) const noexcept  { return values[(size_t) lfo]; }
    double phase (int lfo) const noexcept { return phases[(size_t) lfo]; }

private:
    std::array<double, numLfos> phases {};
    std::array<float, numLfos> values {};
};

} // namespace velmora
