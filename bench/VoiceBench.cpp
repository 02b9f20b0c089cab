// Voice engine cost as a real-time factor: seconds of audio rendered per second of CPU, one
// thread, 48 kHz, 512-sample blocks, through the real processor's block driver.

#include "BenchSettings.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;
const int heldNotes[10] = { 36, 43, 48, 52, 55, 59, 62, 64, 67, 71 };

void runHeldChord (benchmark::State& state, bool worstCase)
{
    VelmoraSynthAudioProcessor proc;
    proc.setRateAndBufferSizeDetails (sampleRate, blockSize);
    proc.prepareToPlay (sampleRate, blockSize);

    for (auto* p : proc.getParameters())   // the plain default sound, not the start-up preset
        p->setValueNotifyingHost (p->getDefaultValue());
    if (worstCase)
        for (const auto& [id, value] : bench::worstCaseSettings())
            bench::setParam (proc, id, value);

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer chord, none;
    for (int n : heldNotes)
        chord.addEvent (juce::MidiMessage::noteOn (1, n, (juce::uint8) 100), 0);

    proc.processBlock (buffer, chord);
    for (int i = 0; i < 200; ++i)   // past the attack, all ten voices sounding
        proc.processBlock (buffer, none);

    for (auto _ : state)
    {
        proc.processBlock (buffer, none);
        benchmark::DoNotOptimize (buffer.getReadPointer (0)[0]);
    }

    const double audioSeconds = (double) state.iterations() * blockSize / sampleRate;
    state.counters["realtime_x"] = benchmark::Counter (audioSeconds, benchmark::Counter::kIsRate);
    state.counters["core_pct"] = benchmark::Counter (audioSeconds / 100.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
}

static void DefaultSoundTenNotes (benchmark::State& s) { runHeldChord (s, false); }
static void WorstCaseTenVoicesFiveUnison (benchmark::State& s) { runHeldChord (s, true); }

BENCHMARK (DefaultSoundTenNotes)->Unit (benchmark::kMicrosecond)->MinTime (2.0);
BENCHMARK (WorstCaseTenVoicesFiveUnison)->Unit (benchmark::kMicrosecond)->MinTime (2.0);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
