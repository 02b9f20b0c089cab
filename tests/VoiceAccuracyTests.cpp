#include "engine/PadSynthVoice.h"
#include "reference/ReferencePadVoice.h"

#include <gtest/gtest.h>

namespace
{
/** Every costly part of the voice on. */
velmora::VoiceRenderConfig worstCase()
{
    velmora::VoiceRenderConfig c;
    c.unisonVoices = 5;
    c.unisonDetune = 14.0f;
    c.driftAmount = 0.4f;
    c.vintageAmount = 0.3f;
    c.characterAmount = 0.3f;
    c.oscAShape = 2;  c.oscALevel = 0.6f;
    c.oscBShape = 1;  c.oscBLevel = 0.5f;
    c.subShape = 3;   c.subLevel = 0.4f;
    c.fatAmount = 0.3f;
    c.fmAmount = 0.5f;  c.fmRatio = 2.5f;
    c.ringModAmount = 0.4f;
    c.filterMorph = 0.6f;
    c.filterEnvAmount = 0.4f;  c.velocityFilterAmount = 0.5f;  c.filterKeytrack = 0.3f;
    c.attack = 0.05f;
    c.glideTime = 0.05f;
    c.glideCurve = 2;
    return c;
}

template <typename Voice, typename Sound>
juce::AudioBuffer<float> render (const velmora::VoiceRenderConfig& config, double seconds, std::initializer_list<int> notes)
{
    const double rate = 48000.0;
    juce::Synthesiser synth;
    std::vector<Voice*> voices;
    for (int i = 0; i < 10; ++i)
    {
        auto* v = new Voice();
        synth.addVoice (v);
        voices.push_back (v);
    }
    synth.addSound (new Sound());
    synth.setCurrentPlaybackSampleRate (rate);
    for (size_t i = 0; i < voices.size(); ++i)
    {
        voices[i]->prepare (rate, 512);
        voices[i]->setRandomSeed (4242 + (juce::int64) i);
        voices[i]->setRenderConfig (config);
    }

    const int total = (int) (seconds * rate);
    juce::AudioBuffer<float> out (2, total);
    out.clear();
    juce::MidiBuffer midi;
    int velocity = 70;
    for (int n : notes)
        midi.addEvent (juce::MidiMessage::noteOn (1, n, (juce::uint8) (velocity += 5)), 17);

    for (int pos = 0; pos < total; pos += 512)
    {
        const int n = juce::jmin (512, total - pos);
        for (auto* v : voices)
            v->setRenderConfig (config);   // as the block driver does, every block
        synth.renderNextBlock (out, pos == 0 ? midi : juce::MidiBuffer(), pos, n);
    }
    return out;
}
}

TEST (VoiceAccuracy, EngineFollowsThePlainFormulasInTheWorstCase)
{
    const auto notes = { 36, 43, 48, 55, 60, 64, 67, 71, 74, 79 };
    const auto fast = render<velmora::PadSynthVoice, velmora::PadSynthSound> (worstCase(), 2.0, notes);
    const auto plain = render<velmora::reference::ReferencePadVoice, velmora::PadSynthSound> (worstCase(), 2.0, notes);

    float largest = 0.0f, peak = 0.0f;
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < fast.getNumSamples(); ++i)
        {
            largest = std::max (largest, std::abs (fast.getSample (ch, i) - plain.getSample (ch, i)));
            peak = std::max (peak, std::abs (plain.getSample (ch, i)));
        }
    std::cout << "largest difference " << largest << " at a peak of " << peak << "\n";
    EXPECT_GT (peak, 0.1f);
    EXPECT_LE (largest, 1e-4f);
}

TEST (VoiceAccuracy, EveryShapeAndHighNotesStayClose)
{
    for (int shape = 0; shape < 6; ++shape)
    {
        SCOPED_TRACE (shape);
        auto c = worstCase();
        c.oscAShape = shape;
        c.oscBShape = (shape + 2) % 6;
        c.subShape = (shape + 4) % 6;
        c.oscSync = shape % 2 == 0;
        c.subOctave = 1 + shape % 2;
        const auto notes = { 24, 90, 108, 127 };
        const auto fast = render<velmora::PadSynthVoice, velmora::PadSynthSound> (c, 0.5, notes);
        const auto plain = render<velmora::reference::ReferencePadVoice, velmora::PadSynthSound> (c, 0.5, notes);
        float largest = 0.0f;
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < fast.getNumSamples(); ++i)
                largest = std::max (largest, std::abs (fast.getSample (ch, i) - plain.getSample (ch, i)));
        EXPECT_LE (largest, 1e-4f);
    }
}
