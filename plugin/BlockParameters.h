#pragma once

#include "Parameters.h"

#include <array>

namespace velmora
{

/** The parameter values one block works with: each raw value read once, and the effective
    (modulated) value of every parameter the block driver reads through modulation. */
struct BlockParameters
{
    std::array<float, param::count> raw {}, effective {};

    float eff (int i) const noexcept           { return effective[(size_t) i]; }
    int effRounded (int i) const noexcept      { return juce::roundToInt (effective[(size_t) i]); }
    bool effOn (int i) const noexcept          { return effective[(size_t) i] > 0.5f; }
    bool rawOn (int i) const noexcept          { return raw[(size_t) i] > 0.5f; }
    int rawRounded (int i) const noexcept      { return juce::roundToInt (raw[(size_t) i]); }
};

} // namespace velmora
