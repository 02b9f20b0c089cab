#include "AllocationCounter.h"
#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <set>

using namespace testsupport;

TEST (Processor, HostAnswersAndBusLayouts)
{
    VelmoraSynthAudioProcessor proc;
    EXPECT_EQ (proc.getName(), "Halcyra");
    EXPECT_EQ (proc.getTailLengthSeconds(), 12.0);
    EXPECT_TRUE (proc.acceptsMidi());
    EXPECT_FALSE (proc.producesMidi());
    EXPECT_FALSE (proc.isMidiEffect());
    EXPECT_FALSE (proc.supportsMPE());
    EXPECT_TRUE (proc.hasEditor());
    EXPECT_EQ (proc.getTotalNumInputChannels(), 0);
    EXPECT_EQ (proc.getTotalNumOutputChannels(), 2);
    EXPECT_EQ (proc.getBus (false, 0)->getName(), "Output");

    using Set = juce::AudioChannelSet;
    EXPECT_TRUE (proc.checkBusesLayoutSupported ({ {}, { Set::stereo() } }));
    EXPECT_TRUE (proc.checkBusesLayoutSupported ({ {}, { Set::mono() } }));
    EXPECT_FALSE (proc.checkBusesLayoutSupported ({ {}, { Set::create5point1() } }));
    EXPECT_FALSE (proc.checkBusesLayoutSupported ({ {}, { Set::disabled() } }));
}

TEST (Processor, FreshInstanceRendersSilence)
{
    ProcessorRig rig;
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ (peakOf (rig.block()), 0.0f);
}

TEST (Processor, MasterVolumeAtItsMinimumIsStillAudible)
{
    auto render = [] (float dB) {
        ProcessorRig rig;
        seedVoices (rig.proc);
        setParam (rig.proc, "masterVolume", dB);
        setParam (rig.proc, "attack", 0.01f);
        juce::AudioBuffer<float> out (2, 8 * 512);
        rig.noteOn (60);
        out.copyFrom (0, 0, rig.buffer, 0, 0, 512);
        for (int b = 1; b < 8; ++b)
            out.copyFrom (0, b * 512, rig.block(), 0, 0, 512);
        return out.getMagnitude (0, 0, out.getNumSamples());
    };

    const float loud = render (0.0f), quiet = render (-24.0f);
    ASSERT_GT (loud, 0.01f);
    EXPECT_NEAR (quiet / loud, 0.0631f, 0.0005f);
}

namespace
{
// The tape stage delays everything by about seven samples, so a cut leaves that much tail.
float peakAfterTapeDelay (const juce::AudioBuffer<float>& b)
{
    float peak = 0.0f;
    for (int ch = 0; ch < b.getNumChannels(); ++ch)
        peak = std::max (peak, b.getMagnitude (ch, 16, b.getNumSamples() - 16));
    return peak;
}
}

TEST (Processor, SwitchingMonoOrMirrorCutsSoundingNotesOnBothEngines)
{
    ProcessorRig rig;
    setParam (rig.proc, "attack", 0.01f);
    rig.noteOn (60);
    rig.noteOn (64);
    ASSERT_EQ (countActiveVoices (rig.proc.getPolySynth()), 2);

    setParam (rig.proc, "monoMode", 1.0f);
    EXPECT_EQ (peakAfterTapeDelay (rig.block()), 0.0f);   // cut before this block renders, no release tail
    EXPECT_EQ (countActiveVoices (rig.proc.getPolySynth()), 0);

    rig.noteOn (67);
    ASSERT_EQ (countActiveVoices (rig.proc.getMonoSynth()), 1);
    EXPECT_GT (peakOf (rig.block()), 0.0f);

    setParam (rig.proc, "monoMode", 0.0f);    // the mono voice is cut too, not held for legato
    EXPECT_EQ (peakAfterTapeDelay (rig.block()), 0.0f);
    EXPECT_EQ (countActiveVoices (rig.proc.getMonoSynth()), 0);
    setParam (rig.proc, "monoMode", 1.0f);
    EXPECT_EQ (peakAfterTapeDelay (rig.block()), 0.0f);   // nothing comes back when mono returns

    setParam (rig.proc, "monoMode", 0.0f);
    rig.block();
    rig.noteOn (60);
    setParam (rig.proc, "mirrorEnabled", 1.0f);
    EXPECT_EQ (peakAfterTapeDelay (rig.block()), 0.0f);
    EXPECT_EQ (countActiveVoices (rig.proc.getPolySynth()), 0);
}

TEST (Processor, MonoAndMirrorTogetherPlayTheTenVoiceEngine)
{
    ProcessorRig rig;
    setParam (rig.proc, "monoMode", 1.0f);
    setParam (rig.proc, "mirrorEnabled", 1.0f);
    rig.block();
    rig.noteOn (60);
    EXPECT_GE (countActiveVoices (rig.proc.getPolySynth()), 1);
    EXPECT_EQ (countActiveVoices (rig.proc.getMonoSynth()), 0);
}

TEST (Processor, ProcessBlockAllocatesNothing)
{
    ProcessorRig rig;
    setParam (rig.proc, "unisonVoices", 5.0f);
    setParam (rig.proc, "attack", 0.01f);

    // Every MIDI buffer is built before counting starts: only the processor's own work counts.
    std::vector<juce::MidiBuffer> midi (64);
    for (int b = 0; b < 64; ++b)
        for (int k = 0; k < 4; ++k)
        {
            const int note = 40 + (b * 7 + k * 5) % 40;
            midi[(size_t) b].addEvent (juce::MidiMessage::noteOn (1 + k % 2, note, (juce::uint8) (60 + k * 10)), k * 100);
            midi[(size_t) b].addEvent (juce::MidiMessage::noteOff (1 + k % 2, (note + 11) % 128), k * 100 + 50);
        }
    midi[10].addEvent (juce::MidiMessage::controllerEvent (1, 20, 100), 5);
    midi[11].addEvent (juce::MidiMessage::pitchWheel (1, 9000), 5);

    rig.block();   // first block outside the count (lazy one-time set-up in JUCE)

    AllocationCounter counter;
    for (auto& m : midi)
    {
        rig.buffer.setSize (2, rig.blockSize, false, false, true);
        rig.proc.processBlock (rig.buffer, m);
    }
    EXPECT_EQ (counter.count(), 0u);
}

TEST (Processor, MidiTransformsAllocateNothing)
{
    // Mirror with a delay that crosses blocks (its queue), the humanizer, then the arpeggiator.
    ProcessorRig rig;
    setParam (rig.proc, "mirrorEnabled", 1.0f);
    setParam (rig.proc, "mirrorDelayMs", 200.0f);
    setParam (rig.proc, "humanizeAmount", 0.7f);
    rig.block();

    std::vector<juce::MidiBuffer> midi (96);
    for (int b = 0; b < 96; ++b)
        for (int k = 0; k < 6; ++k)
        {
            midi[(size_t) b].addEvent (juce::MidiMessage::noteOn (1 + k % 3, 36 + (b * 5 + k * 7) % 60, (juce::uint8) 90), k * 80);
            midi[(size_t) b].addEvent (juce::MidiMessage::noteOff (1 + k % 3, 36 + (b * 5 + k * 7 + 30) % 60), k * 80 + 40);
        }

    AllocationCounter counter;
    for (int b = 0; b < 96; ++b)
    {
        if (b == 48)
            rig.proc.getParameterState().getParameter ("arpEnabled")->setValue (1.0f);   // audio-thread safe setter
        rig.buffer.setSize (2, rig.blockSize, false, false, true);
        rig.proc.processBlock (rig.buffer, midi[(size_t) b]);
    }
    EXPECT_EQ (counter.count(), 0u);
}

TEST (Processor, OutputStaysFiniteUnderDenseChords)
{
    ProcessorRig rig;
    setParam (rig.proc, "attack", 0.01f);
    setParam (rig.proc, "unisonVoices", 5.0f);
    setParam (rig.proc, "oscALevel", 1.0f);
    setParam (rig.proc, "oscBLevel", 1.0f);
    setParam (rig.proc, "subLevel", 1.0f);
    setParam (rig.proc, "fmAmount", 1.0f);
    setParam (rig.proc, "masterVolume", 0.0f);

    juce::MidiBuffer chord;
    for (int n = 36; n < 96; n += 6)
        chord.addEvent (juce::MidiMessage::noteOn (1, n, (juce::uint8) 127), 0);
    rig.block (chord);
    for (int b = 0; b < 100; ++b)
    {
        const auto& out = rig.block();
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < out.getNumSamples(); ++i)
                ASSERT_TRUE (std::isfinite (out.getSample (ch, i)));
    }
}

TEST (Processor, NoNoteStaysStuckAcrossModesAndSwitches)
{
    // Random keys on two channels while the arpeggiator, mono, mirror, humanizer and their
    // settings change at random; once every key is up, every voice must fall silent.
    for (int seed = 1; seed <= 24; ++seed)
    {
        SCOPED_TRACE (seed);
        juce::Random rng (seed);
        constexpr int maxBlock = 1024;
        ProcessorRig rig (48000.0, maxBlock);
        auto& proc = rig.proc;
        setParam (proc, "attack", 0.01f);
        setParam (proc, "release", 0.2f);
        setParam (proc, "mirrorDelayMs", 120.0f);

        std::set<std::pair<int, int>> held;   // (channel, note)
        juce::AudioBuffer<float> buffer (2, maxBlock);
        auto play = [&] (juce::MidiBuffer& midi, int n) {
            buffer.setSize (2, n, false, false, true);
            proc.processBlock (buffer, midi);
        };

        for (int b = 0; b < 250; ++b)
        {
            if (rng.nextInt (12) == 0) setParam (proc, "arpEnabled", rng.nextBool() ? 1.0f : 0.0f);
            if (rng.nextInt (15) == 0) setParam (proc, "monoMode", rng.nextBool() ? 1.0f : 0.0f);
            if (rng.nextInt (15) == 0) setParam (proc, "mirrorEnabled", rng.nextBool() ? 1.0f : 0.0f);
            if (rng.nextInt (10) == 0) setParam (proc, "humanizeAmount", rng.nextBool() ? rng.nextFloat() : 0.0f);
            if (rng.nextInt (10) == 0) setParam (proc, "arpPattern", (float) rng.nextInt (5));
            if (rng.nextInt (10) == 0) setParam (proc, "arpRate", (float) rng.nextInt (5));
            if (rng.nextInt (10) == 0) setParam (proc, "mirrorMode", (float) rng.nextInt (4));
            if (rng.nextInt (10) == 0) setParam (proc, "mirrorRange", (float) (rng.nextInt (5) - 2));

            const int n = 32 + rng.nextInt (maxBlock - 31);
            juce::MidiBuffer midi;
            int at = 0;   // in time order, so no key is let go before it was pressed
            for (int e = rng.nextInt (4); --e >= 0;)
            {
                at += rng.nextInt (juce::jmax (1, (n - at) / 2));
                if (! held.empty() && rng.nextBool())
                {
                    auto it = held.begin();
                    std::advance (it, rng.nextInt ((int) held.size()));
                    midi.addEvent (juce::MidiMessage::noteOff (it->first, it->second), at);
                    held.erase (it);
                }
                else
                {
                    const int ch = 1 + rng.nextInt (2), note = 40 + rng.nextInt (40);
                    midi.addEvent (juce::MidiMessage::noteOn (ch, note, (juce::uint8) (1 + rng.nextInt (127))), at);
                    held.insert ({ ch, note });
                }
            }
            play (midi, n);
        }

        juce::MidiBuffer release;
        for (const auto& [ch, note] : held)
            release.addEvent (juce::MidiMessage::noteOff (ch, note), 0);
        play (release, 512);

        juce::MidiBuffer none;
        for (int b = 0; b < 150; ++b)   // 1.6 s: the release, the mirror delay and the tail
            play (none, 512);

        EXPECT_EQ (countActiveVoices (proc.getPolySynth()), 0);
        EXPECT_EQ (countActiveVoices (proc.getMonoSynth()), 0);
    }
}

TEST (Processor, HumanizerAtOrBelowAThousandthDrawsNothing)
{
    ProcessorRig rig;
    setParam (rig.proc, "humanizeAmount", 0.001f);
    rig.proc.getHumanizer().setRandomSeed (99);
    for (int n = 50; n < 60; ++n)
    {
        rig.noteOn (n);
        rig.noteOff (n, 10);
    }
    // Were a number drawn, the offsets table would have been written.
    for (int n = 50; n < 60; ++n)
        EXPECT_EQ (rig.proc.getHumanizer().getOffset (n), 0);

    setParam (rig.proc, "humanizeAmount", 1.0f);
    int moved = 0;
    for (int n = 50; n < 80; ++n)
    {
        rig.noteOn (n, 100, 100);
        moved += rig.proc.getHumanizer().getOffset (n) != 0 ? 1 : 0;
    }
    EXPECT_GT (moved, 20);
}
