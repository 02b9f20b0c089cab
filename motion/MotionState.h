#pragma once

#include <atomic>

namespace velmora
{

/** One hand as the tracker reports it. Floats are 0 … 1. */
struct HandMotion
{
    float palmX = 0.5f;
    float lift  = 0.5f;
    float pinch = 0.0f;
    float open  = 0.0f;
    bool  gate  = false;
};

/** Both hands, left first. The ten fields in this order are motion sources 0–9. */
struct MotionState
{
    static constexpr int numSources = 10;

    HandMotion left, right;

    /** Source i as a float; a gate reads 1 or 0. Out-of-range indices read 0. */
    float source (int index) const noexcept
    {
        if (index < 0 || index >= numSources)
            return 0.0f;

        const auto& h = index < 5 ? left : right;
        switch (index % 5)
        {
            case 0:  return h.palmX;
            case 1:  return h.lift;
            case 2:  return h.pinch;
            case 3:  return h.open;
            default: return h.gate ? 1.0f : 0.0f;
        }
    }
};

/** A motion record that another thread may read field by field while the audio thread writes it. */
struct AtomicHandMotion
{
    std::atomic<float> palmX { 0.5f }, lift { 0.5f }, pinch { 0.0f }, open { 0.0f };
    std::atomic<bool>  gate { false };

    void store (const HandMotion& h) noexcept
    {
        palmX.store (h.palmX, std::memory_order_relaxed);
        lift.store  (h.lift,  std::memory_order_relaxed);
        pinch.store (h.pinch, std::memory_order_relaxed);
        open.store  (h.open,  std::memory_order_relaxed);
        gate.store  (h.gate,  std::memory_order_relaxed);
    }

    HandMotion load() const noexcept
    {
        return { palmX.load (std::memory_order_relaxed), lift.load (std::memory_order_relaxed),
                 pinch.load (std::memory_order_relaxed), open.load (std::memory_order_relaxed),
                 gate.load (std::memory_order_relaxed) };
    }
};

struct AtomicMotionState
{
    AtomicHandMotion left, right;

    void store (const MotionState& m) noexcept { left.store (m.left); right.store (m.right); }
    MotionState load() const noexcept          { return { left.load(), right.load() }; }
};

} // namespace velmora
