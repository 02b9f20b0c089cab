// Voice engine cost as a real-time factor: seconds of audio rendered per second of CPU, one
// thread, 48 kHz, 512-sample blocks, through the real processor's block driver.

#include "BenchSettings.h"

#include <benchmark/benchmark.h>

#include <time.h>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;
const int heldNotes[10] = { 36, 43, 48, 52, 55, 59, 62, 64, 67, 71 };

enum class Sound { defaults, worstCase, mirrorCore };

void runHeldChord (benchmark::State& state, Sound sound)
{
    VelmoraSynthAudioProcessor proc;
    proc.setRateAndBufferSizeDetails (sampleRate, blockSize);
    proc.prepareToPlay (sampleRate, blockSize);

    if (sound == Sound::mirrorCore)
        proc.setCurrentProgram (0);
    else
        for (auto* p : proc.getParameters())   // the plain default sound, not the start-up preset
            p->setValueNotifyingHost (p->getDefaultValue());
    if (sound == Sound::worstCase)
        for (const auto& [id, value] : bench::worstCaseSettings())
            bench::setParam (proc, id, value);

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer chord, none;
    for (int n : heldNotes)
        chord.addEvent (juce::MidiMessage::noteOn (1, n, (juce::uint8) 100), 0);

    proc.processBlock (buffer, chord);
    for (int i = 0; i < 200; ++i)   // past the attack, all ten voices sounding
        proc.processBlock (buffer, none);

    // Every block timed on its own too: a spike (denormals, allocation, a lock) shows as a
    // maximum far above the median. The thread's own CPU time leaves out the time the system
    // gave to other programs meanwhile, which a shared machine is full of.
    auto threadSeconds = []
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec + 1e-9 * (double) t.tv_nsec;
    };
    std::vector<double> blockSeconds;
    blockSeconds.reserve (1 << 16);
    for (auto _ : state)
    {
        const double start = threadSeconds();
        proc.processBlock (buffer, none);
        benchmark::DoNotOptimize (buffer.getReadPointer (0)[0]);
        if (blockSeconds.size() < blockSeconds.capacity())
            blockSeconds.push_back (threadSeconds() - start);
    }

    std::sort (blockSeconds.begin(), blockSeconds.end());
    if (! blockSeconds.empty())
    {
        const double median = blockSeconds[blockSeconds.size() / 2];
        state.counters["max_over_median"] = blockSeconds.back() / median;
        state.counters["p999_over_median"] = blockSeconds[blockSeconds.size() * 999 / 1000] / median;
    }

    const double audioSeconds = (double) state.iterations() * blockSize / sampleRate;
    state.counters["realtime_x"] = benchmark::Counter (audioSeconds, benchmark::Counter::kIsRate);
    state.counters["core_pct"] = benchmark::Counter (audioSeconds / 100.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
}

static void DefaultSoundTenNotes (benchmark::State& s) { runHeldChord (s, Sound::defaults); }
static void WorstCaseTenVoicesFiveUnison (benchmark::State& s) { runHeldChord (s, Sound::worstCase); }
static void MirrorCoreTenNotes (benchmark::State& s) { runHeldChord (s, Sound::mirrorCore); }

BENCHMARK (DefaultSoundTenNotes)->Unit (benchmark::kMicrosecond)->MinTime (2.0);
BENCHMARK (WorstCaseTenVoicesFiveUnison)->Unit (benchmark::kMicrosecond)->MinTime (2.0);
BENCHMARK (MirrorCoreTenNotes)->Unit (benchmark::kMicrosecond)->MinTime (2.0);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
