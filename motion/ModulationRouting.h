#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>

namespace velmora
{

/** Which parameter each motion route and each LFO moves, and how far.
    The message thread sets targets by parameter ID; the audio thread reads, once per block, the
    parameter index each ID resolves to and the depths — plain atomics, so it never waits and
    never touches a string that is being replaced. A change is in effect from the next block. */
class ModulationRouting
{
public:
    static constexpr int numMotionRoutes = 10;
    static constexpr int numLfos = 8;

    /** Resolves a target ID to a parameter index, or −1 when it names none. */
    using Resolver = int (*) (const juce::String&);

    explicit ModulationRouting (Resolver r) : resolve (r)
    {
        for (auto& t : motionTargetIndex) t.store (-1);
        for (auto& t : lfoTargetIndex) t.store (-1);
        for (auto& d : motionDepth) d.store (0.0f);
    }

    // Message thread -------------------------------------------------------------------------
    /** Stores the text (trimmed unless told otherwise); out-of-range indices are ignored.
        Returns whether it was stored. */
    bool setMotionRouteTarget (int index, const juce::String& id, bool trim = true)
    {
        if (! juce::isPositiveAndBelow (index, numMotionRoutes))
            return false;
        motionRouteTargets[(size_t) index] = trim ? id.trim() : id;
        motionTargetIndex[(size_t) index].store (resolve (motionRouteTargets[(size_t) index]));
        return true;
    }

    bool setLfoTarget (int index, const juce::String& id, bool trim = true)
    {
        if (! juce::isPositiveAndBelow (index, numLfos))
            return false;
        lfoTargets[(size_t) index] = trim ? id.trim() : id;
        lfoTargetIndex[(size_t) index].store (resolve (lfoTargets[(size_t) index]));
        return true;
    }

    bool setMotionRouteDepth (int index, float depth)
    {
        if (! juce::isPositiveAndBelow (index, numMotionRoutes))
            return false;
        motionDepth[(size_t) index].store (std::isfinite (depth) ? juce::jlimit (0.0f, 1.0f, depth) : 0.0f);
        return true;
    }

    const juce::String& getMotionRouteTarget (int i) const { return motionRouteTargets[(size_t) i]; }
    const juce::String& getLfoTarget (int i) const         { return lfoTargets[(size_t) i]; }
    float getMotionRouteDepth (int i) const noexcept       { return motionDepth[(size_t) i].load(); }

    // Audio thread ---------------------------------------------------------------------------
    struct Snapshot
    {
        std::array<int, numMotionRoutes> motionTarget {};
        std::array<float, numMotionRoutes> motionDepth {};
        std::array<int, numLfos> lfoTarget {};
    };

    Snapshot snapshot() const noexcept
    {
        Snapshot s;
        for (size_t i = 0; i < (size_t) numMotionRoutes; ++i)
        {
            s.motionTarget[i] = motionTargetIndex[i].load (std::memory_order_acquire);
            s.motionDepth[i] = motionDepth[i].load (std::memory_order_acquire);
        }
        for (size_t k = 0; k < (size_t) numLfos; ++k)
            s.lfoTarget[k] = lfoTargetIndex[k].load (std::memory_order_acquire);
        return s;
    }

private:
    Resolver resolve;
    std::array<juce::String, numMotionRoutes> motionRouteTargets;
    std::array<juce::String, numLfos> lfoTargets;
    std::array<std::atomic<int>, numMotionRoutes> motionTargetIndex;
    std::array<std::atomic<float>, numMotionRoutes> motionDepth;
    std::array<std::atomic<int>, numLfos> lfoTargetIndex;
};

} // namespace velmora
