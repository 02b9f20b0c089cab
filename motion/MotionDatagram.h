#pragma once

#include "MotionState.h"

#include <cstddef>

namespace velmora
{

/** Parses one motion datagram — ten comma-separated values, left hand then right (palm X,
    lift, pinch, open, gate) — into the record, field by field. Fewer than four tokens change
    nothing; four to nine set the left hand (the gate only from the fifth) and put the right
    hand at rest. Numbers are limited to 0 … 1, a token that reads as not-a-number gives that
    field's rest value, gates are integers (non-zero = on). Allocation-free.
    Returns true when the datagram was applied. */
bool applyMotionDatagram (const char* text, std::size_t length, AtomicMotionState& record) noexcept;

} // namespace velmora
