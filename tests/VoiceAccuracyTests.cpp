#include "engine/PadSynthVoice.h"
#include "engine/PadSynthesiser.h"
#include "engine/VoiceKernels.h"
#include "reference/ReferencePadVoice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

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

/** Changes the record before block number `block` (the block driver may hand over a new one with
    every block). */
using ConfigChange = std::function<void (velmora::VoiceRenderConfig&, int block)>;

template <typename Voice, typename Sound, typename Synth = juce::Synthesiser>
juce::AudioBuffer<float> render (velmora::VoiceRenderConfig config, double seconds, std::initializer_list<int> notes,
                                 int blockSize = 512, ConfigChange change = {})
{
    const double rate = 48000.0;
    Synth synth;
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

    for (int pos = 0, block = 0; pos < total; pos += blockSize, ++block)
    {
        const int n = juce::jmin (blockSize, total - pos);
        if (change)
            change (config, block);
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

TEST (VoiceAccuracy, RecordsChangingBetweenBlocksStayClose)
{
    // Unison counts rising and falling mid-note (copies that rest must keep their phases), layers
    // switching on and off, and blocks that are no multiple of the vector widths.
    const ConfigChange change = [] (velmora::VoiceRenderConfig& c, int block)
    {
        const int step = block / 40;
        c.unisonVoices = std::array<int, 6> { 2, 5, 1, 3, 5, 4 }[(size_t) step % 6];
        c.oscALevel = step % 2 == 0 ? 0.6f : 0.0f;
        c.fmAmount = step % 3 == 0 ? 0.5f : 0.0f;
        c.padCoreMix = step == 2 ? 0.0f : 1.0f;
    };
    const auto notes = { 40, 52, 59, 64, 71 };
    const auto fast = render<velmora::PadSynthVoice, velmora::PadSynthSound> (worstCase(), 1.5, notes, 173, change);
    const auto plain = render<velmora::reference::ReferencePadVoice, velmora::PadSynthSound> (worstCase(), 1.5, notes, 173, change);
    float largest = 0.0f, peak = 0.0f;
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < fast.getNumSamples(); ++i)
        {
            largest = std::max (largest, std::abs (fast.getSample (ch, i) - plain.getSample (ch, i)));
            peak = std::max (peak, std::abs (plain.getSample (ch, i)));
        }
    EXPECT_GT (peak, 0.1f);
    EXPECT_LE (largest, 1e-4f);
}

TEST (VoiceAccuracy, PitchPowersEqualPowf)
{
    // The voice's pitch step must round exactly as powf does, or its phases wander from the plain
    // formulas over a note. Every 61st float of the cents range, both signs.
    std::vector<float> x;
    for (std::uint32_t bits = 0x30000000u; bits <= 0x3d800000u; bits += 61)
        for (std::uint32_t sign : { 0u, 0x80000000u })
        {
            const std::uint32_t b = bits | sign;
            float f;
            std::memcpy (&f, &b, sizeof (f));
            x.push_back (f);
        }

    std::vector<float> power (x.size());
    velmora::voicekernels::powersOfTwo (x.data(), power.data(), (int) x.size());
    size_t differing = 0;
    for (size_t i = 0; i < x.size(); ++i)
        differing += power[i] != std::pow (2.0f, x[i]) ? 1u : 0u;
    EXPECT_EQ (differing, 0u) << "of " << x.size();
}

TEST (VoiceAccuracy, VoicesFilteredSideBySideSoundAsOneAfterAnother)
{
    // The plug-in's synthesiser runs its voices' filters together; every sample must come out as
    // rendering the voices one after another does, to the last bit. Blocks of 300 and 1100
    // samples (the second longer than the voices' own buffers) and a morph that comes and goes.
    const ConfigChange change = [] (velmora::VoiceRenderConfig& c, int block) { c.filterMorph = block % 3 == 0 ? 0.0f : 0.6f; };
    for (int blockSize : { 300, 1100 })
    {
        const auto notes = { 36, 48, 55, 64, 67, 72 };
        const auto together = render<velmora::PadSynthVoice, velmora::PadSynthSound, velmora::PadSynthesiser> (worstCase(), 0.6, notes, blockSize, change);
        const auto apart = render<velmora::PadSynthVoice, velmora::PadSynthSound> (worstCase(), 0.6, notes, blockSize, change);
        int differing = 0;
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < together.getNumSamples(); ++i)
                differing += together.getSample (ch, i) != apart.getSample (ch, i) ? 1 : 0;
        EXPECT_EQ (differing, 0) << blockSize;
    }
}
