#include "plugin/FactoryPresets.h"
#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <thread>

using namespace velmora;
using namespace testsupport;

namespace
{
float raw (VelmoraSynthAudioProcessor& proc, const char* id)
{
    return proc.getParameterState().getRawParameterValue (id)->load();
}

/** Counts the change gestures the host would see. */
struct GestureCounter : juce::AudioProcessorListener
{
    int begins = 0, ends = 0, changes = 0;
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++changes; }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override { ++begins; }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int) override { ++ends; }
};
}

TEST (FactoryPresets, TableNamesBanksAndColumns)
{
    const auto& presets = getFactoryPresets();
    ASSERT_EQ (presets.size(), 52u);
    EXPECT_STREQ (presets[0].name, "Mirror Core");
    EXPECT_STREQ (presets[25].name, "Halcyra Shard Arp");
    EXPECT_STREQ (presets[43].name, "Halcyra Tape Ensemble");
    EXPECT_STREQ (presets[44].name, "Rored Odudovi Ember Weave");
    EXPECT_STREQ (presets[51].name, "Rored Odudovi Murk Bloom");

    auto columns = [] (int i) -> size_t {
        if (i == 0) return 28;
        if (i <= 24) return 25;
        if (i <= 30) return 35;
        if (i == 33 || i == 36 || i == 37) return 32;
        if (i == 39) return 34;
        if (i >= 40 && i <= 43) return 31;
        if (i >= 44) return 50;
        return 29;   // 31, 32, 34, 35, 38
    };
    const int lfos[6][3] = { { 1, 6, 7 }, { 1, 3, 5 }, { 2, 6, 7 }, { 1, 4, 8 }, { 3, 5, 7 }, { 2, 6, 8 } };

    VelmoraSynthAudioProcessor proc;
    for (int i = 0; i < 52; ++i)
    {
        const auto& p = presets[(size_t) i];
        SCOPED_TRACE (p.name);
        EXPECT_STREQ (p.bankId, i < 44 ? "A" : "B");
        ASSERT_EQ (p.values.size(), columns (i));
        EXPECT_STREQ (p.values[0].first, "masterVolume");
        EXPECT_STREQ (p.values[7].first, "noiseMix");

        for (const auto& [id, value] : p.values)
        {
            auto* param = proc.getParameterState().getParameter (id);
            ASSERT_NE (param, nullptr) << id;
            const auto& range = param->getNormalisableRange();
            EXPECT_GE (value, range.start) << id;
            EXPECT_LE (value, range.end) << id;
        }

        if (i >= 25 && i <= 30)
            for (int k = 0; k < 3; ++k)
            {
                EXPECT_STREQ (p.values[29 + 2 * (size_t) k].first, paramIDs::lfoRate[lfos[i - 25][k] - 1]);
                EXPECT_STREQ (p.values[30 + 2 * (size_t) k].first, paramIDs::lfoDepth[lfos[i - 25][k] - 1]);
            }
    }
}

TEST (FactoryPresets, BankIdsAndAccessors)
{
    const std::pair<const char*, const char*> cases[] = { { " b ", "B" }, { "c", "C" }, { "", "A" }, { "H", "A" },
                                                          { "AB", "A" }, { "Bank B", "A" }, { "g", "G" } };
    for (const auto& [in, out] : cases)
        EXPECT_EQ (sanitiseFactoryBankId (in), out) << "'" << in << "'";

    VelmoraSynthAudioProcessor proc;
    EXPECT_EQ (proc.getFactoryBankIds(), juce::StringArray ({ "A", "B", "C", "D", "E", "F", "G" }));
    EXPECT_EQ (proc.getFactoryPresetIndicesForBank ("b").size(), 8);
    EXPECT_EQ (proc.getFactoryPresetIndicesForBank ("b").getFirst(), 44);
    EXPECT_TRUE (proc.getFactoryPresetIndicesForBank ("E").isEmpty());
    EXPECT_EQ (proc.getFactoryPresetIndicesForBank ("Z"), proc.getFactoryPresetIndicesForBank ("A"));
    EXPECT_EQ (proc.getFactoryPresetIndicesForBank ("A").size(), 44);
    EXPECT_EQ (proc.getFactoryBankDisplayName ("x"), "Bank A | Halcyra Core");
    EXPECT_EQ (proc.getFactoryBankDisplayName (" b"), "Bank B | Rored Odudovi");
}

TEST (Programs, ApplyResetsEverythingThenSetsTheListedValues)
{
    VelmoraSynthAudioProcessor proc;
    EXPECT_EQ (proc.getNumPrograms(), 52);
    EXPECT_EQ (proc.getProgramName (52), "");
    EXPECT_EQ (proc.getProgramName (-1), "");
    EXPECT_EQ (proc.getProgramName (7), "Halcyra Solar Arp");

    setParam (proc, "unisonVoices", 5.0f);
    setParam (proc, "monoMode", 1.0f);
    for (int k = 0; k < 8; ++k)
        setParam (proc, paramIDs::lfoDepth[k], 0.9f);
    proc.setMotionRouteTarget (2, "resonance");
    proc.setCustomArtworkPath ("/tmp/art.png");

    GestureCounter gestures;
    proc.addListener (&gestures);
    proc.setCurrentProgram (0);
    proc.removeListener (&gestures);
    EXPECT_EQ (gestures.begins, 81 + 28);
    EXPECT_EQ (gestures.ends, 81 + 28);

    EXPECT_EQ (raw (proc, "unisonVoices"), 2.0f);
    EXPECT_EQ (raw (proc, "monoMode"), 0.0f);
    EXPECT_NEAR (raw (proc, "cutoff"), 7200.0f, 0.01f);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ (raw (proc, paramIDs::lfoDepth[k]), 0.0f);
    EXPECT_EQ (proc.getMotionRouteTarget (2), "resonance");   // routes and artwork are not part of a preset
    EXPECT_EQ (proc.getParameterState().state["customArtworkPath"].toString(), "/tmp/art.png");

    proc.setCurrentProgram (25);
    EXPECT_NEAR (raw (proc, "lfo1Depth"), 0.18f, 1e-6f);
    EXPECT_NEAR (raw (proc, "lfo6Depth"), 0.22f, 1e-6f);
    EXPECT_NEAR (raw (proc, "lfo7Depth"), 0.2f, 1e-6f);
    for (int k : { 1, 2, 3, 4, 7 })
        EXPECT_EQ (raw (proc, paramIDs::lfoDepth[k]), 0.0f);

    std::vector<float> once;
    for (auto* p : proc.getParameters()) once.push_back (p->getValue());
    proc.setCurrentProgram (25);
    std::vector<float> twice;
    for (auto* p : proc.getParameters()) twice.push_back (p->getValue());
    EXPECT_EQ (once, twice);

    proc.setCurrentProgram (-5);
    EXPECT_EQ (proc.getCurrentProgram(), 0);
    proc.setCurrentProgram (99);
    EXPECT_EQ (proc.getCurrentProgram(), 51);
    EXPECT_EQ (proc.getSelectedFactoryBank(), "B");
    proc.changeProgramName (51, "Renamed");
    EXPECT_EQ (proc.getProgramName (51), "Rored Odudovi Murk Bloom");
}

TEST (HostState, FreshInstanceProperties)
{
    VelmoraSynthAudioProcessor proc;
    const auto& s = proc.getParameterState().state;
    EXPECT_EQ ((int) s["currentPreset"], 0);
    EXPECT_EQ (s["selectedPresetCollection"].toString(), "factory");
    EXPECT_EQ (s["selectedFactoryBank"].toString(), "A");
    EXPECT_TRUE (s.hasProperty ("motionRoute4Target"));
    EXPECT_EQ (s["motionRoute4Target"].toString(), "");
    EXPECT_EQ ((double) s["motionRoute4Depth"], 1.0);
    EXPECT_EQ (s["lfoRoute6Target"].toString(), "filterMorph");
    EXPECT_FALSE (s.hasProperty ("selectedUserPresetName"));
    EXPECT_EQ (proc.getCurrentPresetDisplayName(), "Mirror Core");
}

TEST (HostState, RoundTripRestoresEverythingAndSavesIdentically)
{
    VelmoraSynthAudioProcessor a;
    a.setCurrentProgram (30);
    setParam (a, "cutoff", 1234.5f);
    setParam (a, "oscAShape", 4.0f);
    setParam (a, "lfo3Depth", 0.37f);
    a.setMotionRouteTarget (0, "resonance");
    a.setMotionRouteDepth (3, 0.123f);
    a.setLfoTarget (7, "delayTone");
    a.setSelectedFactoryBank ("e");
    a.setCustomArtworkPath ("  /home/me/Art work.png ");

    juce::MemoryBlock saved;
    a.getStateInformation (saved);

    VelmoraSynthAudioProcessor b;
    b.setStateInformation (saved.getData(), (int) saved.getSize());
    for (int i = 0; i < 81; ++i)
        EXPECT_EQ (b.getParameters()[i]->getValue(), a.getParameters()[i]->getValue()) << i;
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ (b.getMotionRouteTarget (i), a.getMotionRouteTarget (i));
        EXPECT_FLOAT_EQ (b.getMotionRouteDepth (i), a.getMotionRouteDepth (i));
    }
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ (b.getLfoTarget (k), a.getLfoTarget (k));
    EXPECT_EQ (b.getCurrentProgram(), 30);
    EXPECT_EQ (b.getSelectedFactoryBank(), "E");
    EXPECT_EQ (b.getParameterState().state["customArtworkPath"].toString(), "/home/me/Art work.png");

    juce::MemoryBlock again;
    b.getStateInformation (again);
    EXPECT_EQ (again, saved);

    // Same instance: the bytes restore into it unchanged too.
    a.setStateInformation (saved.getData(), (int) saved.getSize());
    juce::MemoryBlock third;
    a.getStateInformation (third);
    EXPECT_EQ (third, saved);
}

namespace
{
juce::MemoryBlock wrap (const juce::String& xml)
{
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (*juce::parseXML (xml), block);
    return block;
}

juce::MemoryBlock stateOf (VelmoraSynthAudioProcessor& proc)
{
    juce::MemoryBlock m;
    proc.getStateInformation (m);
    return m;
}
}

TEST (HostState, OlderAndForeignTreesAreCompleted)
{
    struct Case { const char* xml; int program; const char* bank; };
    const Case cases[] = {
        { "<PARAMETERS><PARAM id=\"cutoff\" value=\"900\"/></PARAMETERS>", 0, "A" },
        { "<PARAMETERS currentPreset=\"44\"/>", 44, "B" },
        { "<PARAMETERS currentPreset=\"80\"/>", 51, "A" },   // the bank default comes from the unclamped 80
        { "<PARAMETERS currentPreset=\"3\" selectedFactoryBank=\" d \"/>", 3, "D" },
        { "<Whatever currentPreset=\"2\"/>", 2, "A" },        // any root tag is taken
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.xml);
        VelmoraSynthAudioProcessor proc;
        const auto data = wrap (c.xml);
        proc.setStateInformation (data.getData(), (int) data.getSize());
        const auto& s = proc.getParameterState().state;
        EXPECT_EQ (proc.getCurrentProgram(), c.program);
        EXPECT_EQ (s["selectedFactoryBank"].toString(), c.bank);
        EXPECT_EQ (s["selectedPresetCollection"].toString(), "factory");
        EXPECT_EQ (proc.getMotionRouteTarget (0), "cutoff");
        EXPECT_FLOAT_EQ (proc.getMotionRouteDepth (0), 0.82f);
        EXPECT_EQ (proc.getLfoTarget (6), "filterMorph");
    }

    VelmoraSynthAudioProcessor proc;
    auto data = wrap ("<PARAMETERS><PARAM id=\"cutoff\" value=\"900\"/></PARAMETERS>");
    proc.setStateInformation (data.getData(), (int) data.getSize());
    EXPECT_NEAR (raw (proc, "cutoff"), 900.0f, 0.01f);
}

TEST (HostState, SelectionDepthsAndTargetsAreRepairedOnRestore)
{
    VelmoraSynthAudioProcessor proc;
    auto data = wrap ("<PARAMETERS selectedPresetCollection=\"user\" selectedUserPresetName=\"Not Here\""
                      " motionRoute1Depth=\"1.7\" motionRoute2Depth=\"-0.2\" motionRoute5Target=\" cutoff \"/>");
    proc.setStateInformation (data.getData(), (int) data.getSize());
    const auto& s = proc.getParameterState().state;
    EXPECT_EQ (s["selectedPresetCollection"].toString(), "factory");
    EXPECT_FALSE (s.hasProperty ("selectedUserPresetName"));
    EXPECT_EQ (proc.getSelectedUserPresetIndex(), -1);
    EXPECT_FLOAT_EQ (proc.getMotionRouteDepth (1), 1.0f);
    EXPECT_FLOAT_EQ (proc.getMotionRouteDepth (2), 0.0f);
    EXPECT_EQ (proc.getMotionRouteTarget (5), " cutoff ");   // restored as stored

    juce::MemoryBlock next;
    proc.getStateInformation (next);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (next.getData(), (int) next.getSize());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getDoubleAttribute ("motionRoute1Depth"), 1.0);
    EXPECT_EQ (xml->getDoubleAttribute ("motionRoute2Depth"), 0.0);

    VelmoraSynthAudioProcessor capital;   // 'User' is not "user"
    data = wrap ("<PARAMETERS selectedPresetCollection=\"User\" selectedUserPresetName=\"X\"/>");
    capital.setStateInformation (data.getData(), (int) data.getSize());
    EXPECT_EQ (capital.getParameterState().state["selectedPresetCollection"].toString(), "factory");
}

TEST (HostState, DamagedBytesChangeNothing)
{
    VelmoraSynthAudioProcessor proc;
    proc.setCurrentProgram (12);
    proc.setMotionRouteTarget (1, "fmAmount");
    const auto before = stateOf (proc);

    std::vector<juce::MemoryBlock> bad;
    bad.emplace_back (before.getData(), 8);                                     // too short
    auto swapped = before;
    std::swap (static_cast<char*> (swapped.getData())[0], static_cast<char*> (swapped.getData())[3]);
    bad.push_back (swapped);                                                    // magic out of order
    auto zeroLength = before;
    for (int i = 4; i < 8; ++i) static_cast<char*> (zeroLength.getData())[i] = 0;
    bad.push_back (zeroLength);                                                 // length 0
    auto negative = before;
    static_cast<unsigned char*> (negative.getData())[7] = 0xff;                 // length negative
    bad.push_back (negative);
    bad.push_back (wrap ("<PARAMETERS/>"));
    static_cast<char*> (bad.back().getData())[9] = '!';                         // not XML any more
    juce::MemoryBlock noise (4096);
    juce::Random r (3);
    for (size_t i = 0; i < noise.getSize(); ++i) static_cast<char*> (noise.getData())[i] = (char) r.nextInt (256);
    bad.push_back (noise);

    for (auto& b : bad)
        proc.setStateInformation (b.getData(), (int) b.getSize());
    proc.setStateInformation (nullptr, 100);
    proc.setStateInformation (before.getData(), -5);

    EXPECT_EQ (stateOf (proc), before);
}

TEST (HostState, PresetsAndRestoresWhileAnotherThreadRenders)
{
    // The message thread loads every factory preset, restores host states and rewires routes
    // while the audio thread renders chords: the output stays finite and bounded throughout.
    ProcessorRig rig;
    auto& proc = rig.proc;

    std::vector<juce::MemoryBlock> states;
    for (int i : { 3, 25, 44, 47 })
    {
        proc.setCurrentProgram (i);
        proc.setMotionRouteTarget (i % 10, "cutoff");
        states.push_back ({});
        proc.getStateInformation (states.back());
    }

    std::atomic<bool> running { true }, bad { false };
    std::atomic<int> blocks { 0 };
    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::Random rng (5);
        while (running.load())
        {
            juce::MidiBuffer midi;
            if (rng.nextInt (8) == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, 40 + rng.nextInt (40), (juce::uint8) 100), rng.nextInt (256));
            if (rng.nextInt (8) == 0)
                midi.addEvent (juce::MidiMessage::noteOff (1, 40 + rng.nextInt (40)), rng.nextInt (256));
            if (rng.nextInt (6) == 0)
                midi.addEvent (juce::MidiMessage::controllerEvent (1, 20 + rng.nextInt (10), rng.nextInt (128)), 0);
            buffer.setSize (2, 256, false, false, true);
            proc.processBlock (buffer, midi);
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < 256; ++i)
                {
                    const float s = buffer.getSample (ch, i);
                    if (! std::isfinite (s) || std::abs (s) > 2.0f)   // +6 dB over a full-scale tape stage
                        bad = true;
                }
            ++blocks;
        }
    });

    for (int round = 0; round < 3; ++round)
    {
        for (int i = 0; i < proc.getNumPrograms(); ++i)
        {
            proc.setCurrentProgram (i);
            proc.setLfoTarget (i % 8, i % 2 == 0 ? "shimmer" : "delayTone");
            setParam (proc, paramIDs::lfoDepth[i % 8], 1.0f);
            setParam (proc, paramIDs::lfoRate[i % 8], 12.0f);
            juce::Thread::sleep (1);
        }
        for (auto& s : states)
            proc.setStateInformation (s.getData(), (int) s.getSize());
    }
    running = false;
    audio.join();

    EXPECT_FALSE (bad.load());
    EXPECT_GT (blocks.load(), 20);   // the two threads really overlapped
}
