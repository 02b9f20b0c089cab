#pragma once

#include <cstddef>

namespace testsupport
{

/** Counts heap allocations made by this thread while it lives (the test binary replaces the
    global operator new to do so). */
class AllocationCounter
{
public:
    AllocationCounter();
    ~AllocationCounter();
    std::size_t count() const noexcept;

private:
    std::size_t startCount;
};

} // namespace testsupport
