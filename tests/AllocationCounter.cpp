#include "AllocationCounter.h"

#include <cstdlib>

// Every heap allocation of the process goes through malloc and its relatives (operator new,
// JUCE's HeapBlock and the C library alike), so the test binary interposes those and counts the
// calls made by a thread while it has a counter alive. glibc's own entry points do the work.
extern "C"
{
void* __libc_malloc (std::size_t);
void* __libc_calloc (std::size_t, std::size_t);
void* __libc_realloc (void*, std::size_t);
void* __libc_memalign (std::size_t, std::size_t);
}

namespace
{
    thread_local std::size_t allocations = 0;
    thread_local int activeCounters = 0;

    inline void note() noexcept
    {
        if (activeCounters > 0)
            ++allocations;
    }
}

extern "C"
{
void* malloc (std::size_t size)                    { note(); return __libc_malloc (size); }
void* calloc (std::size_t n, std::size_t size)     { note(); return __libc_calloc (n, size); }
void* realloc (void* p, std::size_t size)          { note(); return __libc_realloc (p, size); }
void* memalign (std::size_t a, std::size_t size)   { note(); return __libc_memalign (a, size); }
void* aligned_alloc (std::size_t a, std::size_t size) { note(); return __libc_memalign (a, size); }
int posix_memalign (void** out, std::size_t a, std::size_t size)
{
    note();
    *out = __libc_memalign (a, size);
    return *out != nullptr ? 0 : 12;   // ENOMEM
}
}

namespace testsupport
{
AllocationCounter::AllocationCounter() : startCount (allocations) { ++activeCounters; }
AllocationCounter::~AllocationCounter()                           { --activeCounters; }
std::size_t AllocationCounter::count() const noexcept             { return allocations - startCount; }
}
