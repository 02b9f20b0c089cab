// Built with ThreadSanitizer: the message thread rewrites routes while an audio thread reads
// them every block, as the processor does. TSan reports any data race and fails the run.

#include "motion/ModulationRouting.h"

#include <atomic>
#include <cstdio>
#include <thread>

using velmora::ModulationRouting;

namespace
{
const char* const ids[] = { "cutoff", "shimmer", "spread", "", "  tapeWow ", "noSuchParameter",
                            "a rather long target text that no parameter has, to force a fresh allocation" };

int resolve (const juce::String& id)
{
    static const char* const known[] = { "cutoff", "shimmer", "spread", "tapeWow" };
    for (int i = 0; i < 4; ++i)
        if (id == known[i])
            return i;
    return -1;
}
}

int main()
{
    ModulationRouting routing (&resolve);
    std::atomic<bool> running { true };
    std::atomic<long> blocks { 0 }, badReads { 0 };

    std::thread audio ([&] {
        float sink = 0.0f;
        while (running.load())
        {
            const auto s = routing.snapshot();
            for (int i = 0; i < ModulationRouting::numMotionRoutes; ++i)
            {
                if (s.motionTarget[(size_t) i] < -1 || s.motionTarget[(size_t) i] > 3
                    || ! (s.motionDepth[(size_t) i] >= 0.0f && s.motionDepth[(size_t) i] <= 1.0f))
                    ++badReads;
                sink += (float) s.motionTarget[(size_t) i] * s.motionDepth[(size_t) i];
            }
            for (int k = 0; k < ModulationRouting::numLfos; ++k)
                if (s.lfoTarget[(size_t) k] < -1 || s.lfoTarget[(size_t) k] > 3)
                    ++badReads;
            ++blocks;
        }
        std::printf ("(%g)\n", (double) sink);
    });

    long writes = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (800);
    for (unsigned n = 0; std::chrono::steady_clock::now() < end; ++n)
    {
        routing.setMotionRouteTarget ((int) (n % 12) - 1, ids[n % 7]);   // includes −1 and 10: ignored
        routing.setMotionRouteDepth ((int) (n % 10), (float) (n % 17) / 8.0f - 0.5f);
        routing.setLfoTarget ((int) (n % 9), ids[(n + 3) % 7]);
        writes += 3;
    }
    running = false;
    audio.join();

    const bool ok = badReads == 0 && blocks > 100;
    std::printf ("%ld writes, %ld blocks read, %ld bad reads\n", writes, blocks.load(), badReads.load());
    std::printf (ok ? "1 passed, 0 failed\n" : "0 passed, 1 failed\n");
    return ok ? 0 : 1;
}
