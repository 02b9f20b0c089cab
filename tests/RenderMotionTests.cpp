#include "render/OfflineRenderer.h"
#include "TestHelpers.h"

#include <juce_dsp/juce_dsp.h>
#include <gtest/gtest.h>

namespace
{
/** Magnitude-weighted mean frequency of channel 0 over [from, to) seconds. */
double spectralCentroid (const juce::AudioBuffer<float>& audio, double rate, double from, double to)
{
    constexpr int order = 12, size = 1 << order;
    juce::dsp::FFT fft (order);
    std::vector<float> frame (2 * size);
    double weighted = 0.0, total = 0.0;

    for (auto start = (int) (from * rate); start + size <= (int) (to * rate); start += size / 2)
    {
        std::fill (frame.begin(), frame.end(), 0.0f);
        for (int i = 0; i < size; ++i)
            frame[(size_t) i] = audio.getSample (0, start + i) * (0.5f - 0.5f * std::cos (6.2831853f * (float) i / size));
        fft.performFrequencyOnlyForwardTransform (frame.data());
        for (int k = 1; k < size / 2; ++k)
        {
            const double p = frame[(size_t) k];
            weighted += p * k * rate / size;
            total += p;
        }
    }
    return total > 0 ? weighted / total : 0.0;
}
}

TEST (RenderMotion, PalmSweepInAMotionLogOpensTheFilter)
{
    const auto dir = juce::File::createTempFile ("halcyra-motion-test");
    ASSERT_TRUE (dir.createDirectory());
    const auto log = dir.getChildFile ("palm.csv");

    juce::String csv = "# left palm X from 0 to 1 over six seconds\n";
    for (int ms = 0; ms <= 6000; ms += 50)
        csv << ms << "," << juce::String (ms / 6000.0, 4) << ",0.5,0,0,0,0.5,0.5,0,0,0\n";
    ASSERT_TRUE (log.replaceWithText (csv));

    const double rate = 48000.0;
    std::vector<halcyra::TimedMidi> events;
    for (int n : { 60, 67, 72, 76 })
        events.push_back ({ 0, juce::MidiMessage::noteOn (1, n, (juce::uint8) 100) });
    juce::String error;
    ASSERT_TRUE (halcyra::readMotionLog (log, rate, (juce::int64) (6.5 * rate), events, error)) << error;

    halcyra::OfflineRenderer renderer (rate, 512);
    // A bright sound without the sub, so the filter's movement shows in the spectrum.
    for (const auto& [id, value] : { std::pair { "attack", "0.05" }, { "subLevel", "0" }, { "fatAmount", "0" }, { "spectralTilt", "0" } })
        ASSERT_TRUE (renderer.setParameter (id, value, error)) << error;
    const auto audio = renderer.renderSamples (events, (juce::int64) (6.5 * rate));

    const double early = spectralCentroid (audio, rate, 0.5, 1.5);
    const double late = spectralCentroid (audio, rate, 5.0, 6.0);
    std::cout << "spectral centroid " << early << " Hz with the palm left, " << late << " Hz with it right\n";
    EXPECT_GT (late, early * 1.3);

    std::vector<halcyra::TimedMidi> none;
    EXPECT_FALSE (halcyra::readMotionLog (dir.getChildFile ("missing.csv"), rate, 0, none, error));
    ASSERT_TRUE (log.replaceWithText ("0,0.5,1.5,0,0,0,0.5,0.5,0,0,0\n"));
    EXPECT_FALSE (halcyra::readMotionLog (log, rate, 0, none, error));
    EXPECT_TRUE (error.contains ("value 2"));
    dir.deleteRecursively();
}

TEST (RenderTempo, ArpeggioFollowsThePlayHeadTempo)
{
    // At 90 BPM a sixteenth is 8000 samples at 48 kHz (120 BPM, the fallback, would give 6000).
    // The steps are read off the voices: a key goes down at every step.
    struct FixedTempo : juce::AudioPlayHead
    {
        juce::Optional<PositionInfo> getPosition() const override
        {
            PositionInfo info;
            info.setBpm (90.0);
            info.setIsPlaying (true);
            return info;
        }
    } head;

    testsupport::ProcessorRig rig (48000.0, 64);
    rig.proc.setPlayHead (&head);
    testsupport::setParam (rig.proc, "arpEnabled", 1.0f);
    testsupport::setParam (rig.proc, "arpGate", 0.5f);

    std::vector<int> onsets;
    bool wasDown = false;
    rig.noteOn (69);
    for (int b = 1; b < 48000 * 2 / 64; ++b)
    {
        rig.block();
        bool down = false;
        for (int v = 0; v < rig.proc.getPolySynth().getNumVoices(); ++v)
            down = down || rig.proc.getPolySynth().getVoice (v)->isKeyDown();
        if (down && ! wasDown)
            onsets.push_back (b * 64);
        wasDown = down;
    }
    rig.proc.setPlayHead (nullptr);

    ASSERT_GE (onsets.size(), 10u);
    for (size_t i = 2; i < onsets.size(); ++i)   // the first step fell into the key's own block
        EXPECT_EQ (onsets[i] - onsets[i - 1], 8000) << i;
}
