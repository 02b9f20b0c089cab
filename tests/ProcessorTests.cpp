#include "AllocationCounter.h"
#include "TestHelpers.h"

#include <gtest/gtest.h>

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
