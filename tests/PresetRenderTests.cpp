#include "render/Audition.h"
#include "TestHelpers.h"
#include "plugin/transforms/Arpeggiator.h"

#include <juce_dsp/juce_dsp.h>
#include <gtest/gtest.h>

namespace
{
struct Figures
{
    std::string name;
    float peak, rms;
    double centroid;
    std::array<double, 8> bands {};   // share of spectral magnitude per octave band from 60 Hz
    int clamped = 0;                  // samples at the tape stage's ceiling
};

Figures listen (int index)
{
    const double rate = 48000.0;
    halcyra::OfflineRenderer renderer (rate, 512);
    renderer.setTempo (120.0);
    renderer.seedRandomSources (77 + index);   // the figures are the same on every run
    auto& proc = renderer.processor();
    proc.setCurrentProgram (index);

    std::vector<halcyra::TimedMidi> chord;
    for (int n : { 48, 60, 64, 67 })
    {
        chord.push_back ({ 0, juce::MidiMessage::noteOn (1, n, (juce::uint8) 96) });
        chord.push_back ({ (juce::int64) (1.6 * rate), juce::MidiMessage::noteOff (1, n) });
    }
    const auto audio = renderer.renderSamples (chord, (juce::int64) (2.0 * rate));

    Figures f;
    f.name = proc.getProgramName (index).toStdString();
    const auto stats = halcyra::measure (audio, rate);
    EXPECT_TRUE (stats.finite) << f.name;
    f.peak = stats.peak;
    f.rms = stats.rms;
    f.centroid = halcyra::spectralCentroid (audio, rate);

    const float ceiling = juce::Decibels::decibelsToGain (proc.getParameterState().getRawParameterValue ("masterVolume")->load());
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            f.clamped += std::abs (audio.getSample (ch, i)) >= ceiling * 0.9999f ? 1 : 0;

    constexpr int order = 12, size = 1 << order;
    juce::dsp::FFT fft (order);
    std::vector<float> frame (2 * size);
    double total = 0.0;
    for (int start = 0; start + size <= audio.getNumSamples(); start += size)
    {
        std::fill (frame.begin(), frame.end(), 0.0f);
        for (int i = 0; i < size; ++i)
            frame[(size_t) i] = audio.getSample (0, start + i);
        fft.performFrequencyOnlyForwardTransform (frame.data());
        for (int k = 1; k < size / 2; ++k)
        {
            const double hz = k * rate / size;
            const int band = juce::jlimit (0, 7, (int) std::floor (std::log2 (juce::jmax (hz, 60.0) / 60.0)));
            f.bands[(size_t) band] += frame[(size_t) k];
            total += frame[(size_t) k];
        }
    }
    for (auto& b : f.bands)
        b /= juce::jmax (total, 1e-12);
    return f;
}

double distance (const Figures& a, const Figures& b)
{
    double d = std::abs (std::log2 (a.centroid / b.centroid)) + std::abs (juce::Decibels::gainToDecibels (a.rms) - juce::Decibels::gainToDecibels (b.rms)) / 6.0;
    for (size_t i = 0; i < a.bands.size(); ++i)
        d += std::abs (a.bands[i] - b.bands[i]);
    return d;
}
}

TEST (PresetRenders, EveryFactoryPresetSoundsDistinctAndStaysInRange)
{
    std::vector<Figures> all;
    for (int i = 0; i < 52; ++i)
        all.push_back (listen (i));

    for (const auto& f : all)
    {
        SCOPED_TRACE (f.name);
        EXPECT_GT (f.rms, 0.001f);                 // not silent (about −60 dBFS)
        EXPECT_LT (f.peak, 0.9f);                  // well below full scale after the master level
        // The tape ceiling touched in under 1 % of samples. The three presets whose values are
        // published as they are ("Mirror Core", "Shard Arp", "Ember Weave") are not re-voiced.
        if (f.name != "Halcyra Shard Arp" && f.name != "Mirror Core" && f.name != "Rored Odudovi Ember Weave")
        {
            EXPECT_LT (f.clamped, 2 * 96000 / 100);
        }
    }

    double closest = 1e9;
    std::string pair;
    for (size_t i = 0; i < all.size(); ++i)
        for (size_t j = i + 1; j < all.size(); ++j)
            if (distance (all[i], all[j]) < closest)
            {
                closest = distance (all[i], all[j]);
                pair = all[i].name + " / " + all[j].name;
            }
    std::cout << "closest pair: " << pair << " (" << closest << ")\n";
    EXPECT_GT (closest, 0.1) << pair;
}

TEST (PresetRenders, ArpeggiatedPresetsPlayInTime)
{
    // At 120 BPM and 48 kHz: the step of each rate, swung; steps read off the voices' keys.
    struct Tempo : juce::AudioPlayHead
    {
        juce::Optional<PositionInfo> getPosition() const override
        {
            PositionInfo info;
            info.setBpm (120.0);
            return info;
        }
    } head;

    int arpPresets = 0;
    for (int index = 0; index < 52; ++index)
    {
        testsupport::ProcessorRig rig (48000.0, 64, 2, false);
        auto& proc = rig.proc;
        proc.setCurrentProgram (index);
        if (proc.getParameterState().getRawParameterValue ("arpEnabled")->load() < 0.5f)
            continue;
        ++arpPresets;
        SCOPED_TRACE (proc.getProgramName (index));

        const double step = 24000.0 * velmora::Arpeggiator::beatsForRate ((int) std::lround (proc.getParameterState().getRawParameterValue ("arpRate")->load()));
        const double swing = proc.getParameterState().getRawParameterValue ("arpSwing")->load();
        proc.setPlayHead (&head);

        juce::MidiBuffer chord;
        for (int n : { 57, 60, 64 })
            chord.addEvent (juce::MidiMessage::noteOn (1, n, (juce::uint8) 100), 0);
        rig.block (chord);

        std::vector<long long> onsets;
        bool wasDown = true;
        for (int b = 1; b < 48000 * 2 / 64; ++b)
        {
            rig.block();
            bool down = false;
            for (int v = 0; v < proc.getPolySynth().getNumVoices(); ++v)
                down = down || proc.getPolySynth().getVoice (v)->isKeyDown();
            for (int v = 0; v < proc.getMonoSynth().getNumVoices(); ++v)
                down = down || proc.getMonoSynth().getVoice (v)->isKeyDown();
            if (down && ! wasDown)
                onsets.push_back ((long long) b * 64);
            wasDown = down;
        }
        proc.setPlayHead (nullptr);

        ASSERT_GE (onsets.size(), 4u);
        for (size_t i = 1; i < onsets.size(); ++i)
        {
            const double gap = (double) (onsets[i] - onsets[i - 1]);
            const bool shortStep = std::abs (gap - step * (1.0 - swing)) <= 64.0;
            const bool longStep = std::abs (gap - step * (1.0 + swing)) <= 64.0;
            EXPECT_TRUE (shortStep || longStep) << "gap " << gap << " for a step of " << step;
        }
    }
    EXPECT_GE (arpPresets, 10);
}
