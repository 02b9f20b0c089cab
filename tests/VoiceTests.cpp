#include "engine/PadSynthVoice.h"
#include "engine/Waveshapes.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace
{
/** One voice in a synthesiser, as the processor runs it. */
struct VoiceRig
{
    explicit VoiceRig (VoiceRenderConfig cfg = {}, double rate = 48000.0, juce::int64 seed = 7)
    {
        voice = new PadSynthVoice();
        synth.addVoice (voice);
        synth.addSound (new PadSynthSound());
        synth.setNoteStealingEnabled (true);
        synth.setCurrentPlaybackSampleRate (rate);
        voice->prepare (rate, 512);
        voice->setRandomSeed (seed);
        voice->setRenderConfig (cfg);
    }

    juce::AudioBuffer<float> render (int numSamples, int channels = 2)
    {
        juce::AudioBuffer<float> b (channels, numSamples);
        b.clear();
        synth.renderNextBlock (b, juce::MidiBuffer(), 0, numSamples);
        return b;
    }

    juce::Synthesiser synth;
    PadSynthVoice* voice = nullptr;
};

VoiceRenderConfig richConfig()
{
    VoiceRenderConfig c;
    c.unisonVoices = 3;
    c.unisonDetune = 10.0f;
    c.oscALevel = 0.5f;
    c.oscBLevel = 0.4f;
    c.subLevel = 0.3f;
    c.attack = 0.01f;
    return c;
}

float maxDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int channel)
{
    float d = 0.0f;
    for (int i = 0; i < a.getNumSamples(); ++i)
        d = std::max (d, std::abs (a.getSample (channel, i) - b.getSample (channel, i)));
    return d;
}
}

TEST (PadVoice, UnisonPositionsAndNorm)
{
    struct Case { int voices; std::vector<float> positions; float norm; };
    const Case cases[] = {
        { 0, { 0.0f }, 1.0f },
        { 1, { 0.0f }, 1.0f },
        { 2, { -0.5f, 0.5f }, 1.0f / std::sqrt (2.0f) },   // half width is at least 1
        { 3, { -1.0f, 0.0f, 1.0f }, 1.0f / std::sqrt (3.0f) },
        { 5, { -1.0f, -0.5f, 0.0f, 0.5f, 1.0f }, 1.0f / std::sqrt (5.0f) },
        { 9, { -1.0f, -0.5f, 0.0f, 0.5f, 1.0f }, 1.0f / std::sqrt (5.0f) },   // more than five acts as five
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.voices);
        ASSERT_EQ (PadSynthVoice::unisonCount (c.voices), (int) c.positions.size());
        for (size_t u = 0; u < c.positions.size(); ++u)
            EXPECT_FLOAT_EQ (PadSynthVoice::unisonPosition ((int) u, c.voices), c.positions[u]);
        EXPECT_FLOAT_EQ (PadSynthVoice::unisonNorm (c.voices), c.norm);
    }
}

TEST (PadVoice, EnvelopeStagesSlopesAndRetrigger)
{
    LinearEnvelope env;
    env.setSampleRate (1000.0);
    env.applySettings ({ 0.01f, 0.02f, 0.6f, 0.04f });   // 10 samples up, 20 down to 0.6, 40 to release

    env.noteOn();
    for (int i = 1; i <= 10; ++i)
        EXPECT_NEAR (env.nextSample(), juce::jmin (1.0f, 0.1f * (float) i), 1e-5f);
    EXPECT_EQ (env.getStage(), LinearEnvelope::Stage::decay);

    for (int i = 0; i < 21; ++i)   // 20 steps of 0.02, plus one for float rounding
        env.nextSample();
    EXPECT_EQ (env.getStage(), LinearEnvelope::Stage::sustain);
    EXPECT_FLOAT_EQ (env.nextSample(), 0.6f);

    env.noteOff();   // release rate from the current level: 0.6 over 40 samples
    EXPECT_NEAR (env.nextSample(), 0.6f - 0.015f, 1e-5f);
    for (int i = 0; i < 9; ++i)
        env.nextSample();
    const float during = env.getLevel();   // 0.45

    env.noteOn();   // retrigger rises from where the release was, not from zero
    EXPECT_NEAR (env.nextSample(), during + 0.1f, 1e-5f);

    // A release begun from another level continues at the sustain-based rate once settings are
    // applied again (the driver does that every block).
    LinearEnvelope e2;
    e2.setSampleRate (1000.0);
    e2.applySettings ({ 0.001f, 0.02f, 0.6f, 0.04f });
    e2.noteOn();
    e2.nextSample();            // level 1 after one attack step
    e2.noteOff();               // rate 1/40 from level 1
    EXPECT_NEAR (e2.nextSample(), 1.0f - 0.025f, 1e-5f);
    e2.applySettings ({ 0.001f, 0.02f, 0.6f, 0.04f });   // rate back to 0.6/40
    EXPECT_NEAR (e2.nextSample(), 1.0f - 0.025f - 0.015f, 1e-5f);

    for (int i = 0; i < 100; ++i)
        e2.nextSample();
    EXPECT_TRUE (e2.isIdle());
    EXPECT_EQ (e2.nextSample(), 0.0f);
}

TEST (PadVoice, GlidesFrom440OnFirstNoteOnlyWhenGlideTimeAboveATenthOfAMillisecond)
{
    VoiceRenderConfig c;
    c.glideTime = 0.1f;
    VoiceRig rig (c);
    rig.synth.noteOn (1, 81, 1.0f);   // 880 Hz
    rig.render (1);
    EXPECT_NEAR (rig.voice->getCurrentFrequency(), 440.0f, 0.5f);
    rig.render (2400);
    EXPECT_NEAR (rig.voice->getCurrentFrequency(), 660.0f, 1.0f);   // linear curve: halfway
    rig.render (2401);
    EXPECT_NEAR (rig.voice->getCurrentFrequency(), 880.0f, 0.01f);

    c.glideTime = 0.0001f;
    VoiceRig direct (c);
    direct.synth.noteOn (1, 81, 1.0f);
    direct.render (1);
    EXPECT_NEAR (direct.voice->getCurrentFrequency(), 880.0f, 0.01f);
}

TEST (PadVoice, MonoLegatoKeepsPhasesEnvelopeAndGlidesFromCurrentPitch)
{
    auto c = richConfig();
    c.monoMode = true;
    c.glideTime = 0.05f;
    c.attack = 1.0f;
    VoiceRig rig (c);

    rig.synth.noteOn (1, 60, 0.8f);
    rig.render (4800);
    const float level = rig.voice->getEnvelope().getLevel();
    const float phase = rig.voice->getPhaseA (0);
    const float pitch = rig.voice->getCurrentFrequency();

    rig.synth.noteOn (1, 67, 0.8f);   // steals the only voice: a legato continuation
    EXPECT_EQ (rig.voice->getCurrentlyPlayingNote(), 67);
    EXPECT_EQ (rig.voice->getPhaseA (0), phase);
    EXPECT_EQ (rig.voice->getEnvelope().getStage(), LinearEnvelope::Stage::attack);
    EXPECT_EQ (rig.voice->getEnvelope().getLevel(), level);
    EXPECT_FLOAT_EQ (rig.voice->getCurrentFrequency(), pitch);

    rig.render (2500);
    EXPECT_NEAR (rig.voice->getCurrentFrequency(), 440.0f * std::pow (2.0f, -2.0f / 12.0f), 0.05f);
    EXPECT_GT (rig.voice->getEnvelope().getLevel(), level);
}

TEST (PadVoice, MonoNoteAfterReleaseStartsItsEnvelopeAgain)
{
    auto c = richConfig();
    c.monoMode = true;
    c.release = 2.0f;
    VoiceRig rig (c);

    rig.synth.noteOn (1, 60, 0.8f);
    rig.render (4800);
    rig.synth.noteOff (1, 60, 0.0f, true);
    rig.render (480);
    ASSERT_EQ (rig.voice->getEnvelope().getStage(), LinearEnvelope::Stage::release);

    rig.synth.noteOn (1, 62, 0.8f);   // a new key after the old one was let go must sound, not fade on
    EXPECT_EQ (rig.voice->getEnvelope().getStage(), LinearEnvelope::Stage::attack);
}

TEST (PadVoice, OneChannelBufferGetsOnlyTheLeftSignal)
{
    VoiceRig stereo (richConfig()), mono (richConfig());
    stereo.synth.noteOn (1, 57, 0.9f);
    mono.synth.noteOn (1, 57, 0.9f);
    const auto s = stereo.render (2048, 2);
    const auto m = mono.render (2048, 1);

    EXPECT_GT (s.getMagnitude (0, 0, 2048), 0.001f);
    EXPECT_EQ (maxDifference (s, m, 0), 0.0f);
    EXPECT_GT (s.getMagnitude (1, 0, 2048), 0.001f);
}

TEST (PadVoice, MorphAtOrBelowThresholdIsThePureLowPassPair)
{
    auto render = [] (float morph) {
        auto c = richConfig();
        c.filterMorph = morph;
        VoiceRig rig (c);
        rig.synth.noteOn (1, 48, 1.0f);
        return rig.render (4096);
    };

    const auto off = render (0.0f), threshold = render (0.002f), full = render (1.0f);
    EXPECT_EQ (maxDifference (off, threshold, 0), 0.0f);
    EXPECT_EQ (maxDifference (off, threshold, 1), 0.0f);
    EXPECT_GT (maxDifference (off, full, 0), 1e-3f);
}

TEST (PadVoice, SilenceWithoutTailFreesAPolyVoiceAndClampsVelocity)
{
    VoiceRig rig (richConfig());
    rig.synth.noteOn (1, 60, 1.0f);
    rig.voice->startNote (60, 1.7f, nullptr, 8192);
    EXPECT_EQ (rig.voice->getVelocity(), 1.0f);

    rig.voice->stopNote (0.0f, false);
    EXPECT_FALSE (rig.voice->isVoiceActive());
    EXPECT_EQ (rig.render (256).getMagnitude (0, 256), 0.0f);
}

TEST (PadVoice, TptFilterGainAtCutoffEqualsResonance)
{
    // |H(jω0)| of both the low-pass and the band-pass output is the resonance value.
    for (auto type : { TptFilter::Type::lowpass, TptFilter::Type::bandpass })
        for (float res : { 0.70710678f, 1.0f })
        {
            TptFilter f;
            f.setType (type);
            f.prepare (48000.0);
            f.setCutoffAndResonance (1000.0f, res);

            float peak = 0.0f;
            for (int i = 0; i < 48000; ++i)
            {
                const float y = f.processSample (std::sin (twoPi * 1000.0f * (float) i / 48000.0f));
                if (i > 24000)
                    peak = std::max (peak, std::abs (y));
            }
            EXPECT_NEAR (peak, res, 0.01f);
        }
}

TEST (PadVoice, WaveshapesAndFallbackToSine)
{
    const float phi = 1.0f;
    EXPECT_FLOAT_EQ (waveshape (sine, phi, 0.5f, 0.3f), std::sin (phi));
    EXPECT_FLOAT_EQ (waveshape (saw, 0.0f, 0.5f, 0.3f), -1.0f);
    EXPECT_FLOAT_EQ (waveshape (square, 4.0f, 0.5f, 0.3f), -1.0f);
    EXPECT_FLOAT_EQ (waveshape (pulse, 0.1f * twoPi, 0.2f, 0.3f), 1.0f);
    EXPECT_FLOAT_EQ (waveshape (pulse, 0.3f * twoPi, 0.2f, 0.3f), -1.0f);
    EXPECT_FLOAT_EQ (waveshape (noise, phi, 0.5f, 0.3f), 0.3f);
    EXPECT_NEAR (waveshape (triangle, pi / 2.0f, 0.5f, 0.0f), 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ (waveshape (6, phi, 0.5f, 0.3f), std::sin (phi));
    EXPECT_FLOAT_EQ (waveshape (-1, phi, 0.5f, 0.3f), std::sin (phi));
}

TEST (PadVoice, LowHostRatesKeepFilterCoefficientsValid)
{
    auto c = richConfig();
    c.cutoff = 18000.0f;
    c.spread = 1.0f;
    c.filterMorph = 1.0f;
    VoiceRig rig (c, 22050.0);
    rig.synth.noteOn (1, 96, 1.0f);
    const auto out = rig.render (22050);

    for (int i = 0; i < 4; ++i)
        EXPECT_LT (rig.voice->getFilter (i).getCutoff(), 22050.0f / 2.0f);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < out.getNumSamples(); ++i)
            ASSERT_TRUE (std::isfinite (out.getSample (ch, i)) && std::abs (out.getSample (ch, i)) < 4.0f);
}
