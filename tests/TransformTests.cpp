#include "plugin/transforms/Arpeggiator.h"
#include "plugin/transforms/Humanizer.h"
#include "plugin/transforms/MirrorTransform.h"
#include "plugin/transforms/MonoNoteStack.h"

#include <gtest/gtest.h>

#include <set>

using namespace velmora;

namespace
{
struct Ev
{
    long long at;
    bool on;
    int note, velocity, channel;
};

void collect (const juce::MidiBuffer& out, long long blockStart, std::vector<Ev>& into)
{
    for (const auto meta : out)
    {
        const auto m = meta.getMessage();
        if (m.isNoteOnOrOff())
            into.push_back ({ blockStart + meta.samplePosition, m.isNoteOn(), m.getNoteNumber(), m.getVelocity(), m.getChannel() });
    }
}

std::vector<int> onNotes (const std::vector<Ev>& evs)
{
    std::vector<int> notes;
    for (const auto& e : evs)
        if (e.on)
            notes.push_back (e.note);
    return notes;
}

juce::MidiBuffer keys (std::initializer_list<int> notes, bool down = true, int at = 0)
{
    juce::MidiBuffer b;
    for (int n : notes)
        b.addEvent (down ? juce::MidiMessage::noteOn (1, n, (juce::uint8) 100) : juce::MidiMessage::noteOff (1, n), at);
    return b;
}

/** Runs the arpeggiator block by block: `first` in block 0, nothing after. */
std::vector<Ev> runArp (Arpeggiator& arp, const juce::MidiBuffer& first, int blocks, const Arpeggiator::Settings& s,
                        int blockSize = 512, double rate = 48000.0, double bpm = 120.0)
{
    std::vector<Ev> evs;
    juce::MidiBuffer out;
    for (int b = 0; b < blocks; ++b)
    {
        out.clear();
        arp.processMidi (b == 0 ? first : juce::MidiBuffer(), out, blockSize, rate, bpm, s);
        collect (out, (long long) b * blockSize, evs);
    }
    return evs;
}
}

TEST (Arpeggiator, PatternsOverHeldNotes)
{
    struct Case { int pattern, octaves; std::vector<int> expected; };
    const Case cases[] = {
        { Arpeggiator::up, 2, { 60, 64, 67, 72, 76, 79, 60, 64 } },
        { Arpeggiator::upDown, 1, { 60, 64, 67, 64, 60, 64, 67, 64 } },
        { Arpeggiator::down, 1, { 67, 64, 60, 67, 64, 60, 67, 64 } },
        { Arpeggiator::chord, 2, { 60, 64, 67, 72, 76, 79, 60, 64 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.pattern);
        Arpeggiator arp;
        Arpeggiator::Settings s;
        s.pattern = c.pattern;
        s.octaves = c.octaves;
        auto notes = onNotes (runArp (arp, keys ({ 67, 60, 64 }), 8 * 6000 / 512 + 1, s));
        notes.resize (8);
        EXPECT_EQ (notes, c.expected);
    }
}

TEST (Arpeggiator, StepLengthsSwingAndGate)
{
    struct Case { int rate; float swing; std::vector<long long> starts; };
    const Case cases[] = {
        { 2, 0.0f, { 0, 6000, 12000, 18000 } },        // 1/16 at 120 BPM, 48 kHz
        { 1, 0.0f, { 0, 8000, 16000, 24000 } },        // 1/8T
        { 2, 0.49f, { 0, 3060, 12000, 15060 } },       // swung: short first, then long
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.rate);
        Arpeggiator arp;
        Arpeggiator::Settings s;
        s.rate = c.rate;
        s.swing = c.swing;
        std::vector<long long> starts;
        for (const auto& e : runArp (arp, keys ({ 60 }), 60, s))
            if (e.on)
                starts.push_back (e.at);
        starts.resize (4);
        EXPECT_EQ (starts, c.starts);
    }

    // Minimum gate: a tenth of the step.
    Arpeggiator arp;
    Arpeggiator::Settings s;
    s.gate = 0.1f;
    const auto evs = runArp (arp, keys ({ 60 }), 20, s);
    ASSERT_GE (evs.size(), 2u);
    EXPECT_TRUE (evs[0].on);
    EXPECT_FALSE (evs[1].on);
    EXPECT_EQ (evs[1].at - evs[0].at, 600);
    EXPECT_EQ (evs[0].velocity, 110);
    EXPECT_EQ (evs[0].channel, 1);
}

TEST (Arpeggiator, CeilingReleasesAndForeignEvents)
{
    Arpeggiator::Settings s;
    {
        Arpeggiator arp;   // octave shifts above 127 play as 127
        auto notes = onNotes (runArp (arp, keys ({ 120, 124 }), 50, s));
        notes.resize (4);
        EXPECT_EQ (notes, (std::vector<int> { 120, 124, 127, 127 }));
    }
    {
        Arpeggiator arp;   // pressed and released within one block: never played
        auto both = keys ({ 60 });
        both.addEvent (juce::MidiMessage::noteOff (1, 60), 200);
        EXPECT_TRUE (runArp (arp, both, 30, s).empty());
    }
    {
        Arpeggiator arp;   // the last key released: every active note ends at sample 0
        juce::MidiBuffer out;
        arp.processMidi (keys ({ 60, 64 }), out, 512, 48000.0, 120.0, s);
        ASSERT_EQ (arp.getActiveNotes().size(), 1u);
        out.clear();
        arp.processMidi (keys ({ 60, 64 }, false, 400), out, 512, 48000.0, 120.0, s);
        std::vector<Ev> evs;
        collect (out, 0, evs);
        ASSERT_EQ (evs.size(), 1u);
        EXPECT_FALSE (evs[0].on);
        EXPECT_EQ (evs[0].at, 0);
    }
    {
        Arpeggiator arp;   // controllers, pitch bend and the keys themselves never pass
        auto in = keys ({ 60 });
        in.addEvent (juce::MidiMessage::controllerEvent (1, 20, 64), 3);
        in.addEvent (juce::MidiMessage::pitchWheel (1, 1000), 4);
        juce::MidiBuffer out;
        arp.processMidi (in, out, 512, 48000.0, 120.0, s);
        EXPECT_EQ (out.getNumEvents(), 1);
        for (const auto meta : out)
            EXPECT_TRUE (meta.getMessage().isNoteOn() && meta.getMessage().getVelocity() == 110);
    }
}

TEST (Arpeggiator, ReleasedKeysAndDegenerateClocksAreSafe)
{
    Arpeggiator::Settings s;
    s.octaves = 1;
    Arpeggiator arp;
    juce::MidiBuffer out;
    arp.processMidi (keys ({ 60, 64, 67, 72 }), out, 6000 * 2 + 10, 48000.0, 120.0, s);   // steps 60 64 67; index 3 next
    out.clear();
    juce::MidiBuffer release = keys ({ 67, 72 }, false);
    arp.processMidi (release, out, 6000, 48000.0, 120.0, s);
    std::vector<Ev> evs;
    collect (out, 0, evs);
    ASSERT_FALSE (onNotes (evs).empty());
    EXPECT_EQ (onNotes (evs)[0], 60);   // index wrapped to the start of the shorter list

    for (double rate : { 0.0, -48000.0 })
    {
        Arpeggiator a;
        juce::MidiBuffer o;
        a.processMidi (keys ({ 60 }), o, 512, rate, 120.0, s);
        EXPECT_EQ (o.getNumEvents(), 0);
    }
    Arpeggiator fast;
    juce::MidiBuffer o;
    fast.processMidi (keys ({ 60 }), o, 512, 48000.0, 1.0e12, s);   // returns, plays nothing
    EXPECT_EQ (o.getNumEvents(), 0);
}

TEST (Mirror, PowerFifthDepthAndPairedNoteOffs)
{
    MirrorTransform mirror;
    MirrorTransform::Settings s;   // Power 5th, range 0, depth 0.72
    s.delayMs = 0.0f;
    juce::MidiBuffer in, out;
    in.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 10);
    mirror.process (in, out, 512, 48000.0, s);
    std::vector<Ev> evs;
    collect (out, 0, evs);
    ASSERT_EQ (evs.size(), 2u);
    EXPECT_EQ (evs[0].note, 60); EXPECT_EQ (evs[0].velocity, 100); EXPECT_EQ (evs[0].at, 10);
    EXPECT_EQ (evs[1].note, 67); EXPECT_EQ (evs[1].velocity, 72);  EXPECT_EQ (evs[1].at, 10);

    in.clear();
    in.addEvent (juce::MidiMessage::noteOff (1, 60), 30);
    mirror.process (in, out, 512, 48000.0, s);
    evs.clear();
    collect (out, 0, evs);
    ASSERT_EQ (evs.size(), 2u);
    EXPECT_FALSE (evs[0].on); EXPECT_EQ (evs[0].note, 60);
    EXPECT_FALSE (evs[1].on); EXPECT_EQ (evs[1].note, 67);

    in.clear();   // a key pressed before the mirror came on passes alone
    in.addEvent (juce::MidiMessage::noteOff (1, 50), 0);
    mirror.process (in, out, 512, 48000.0, s);
    EXPECT_EQ (out.getNumEvents(), 1);
}

TEST (Mirror, DelayAcrossTwoBlockBoundaries)
{
    MirrorTransform mirror;
    MirrorTransform::Settings s;   // 26 ms at 48 kHz = 1248 samples
    juce::MidiBuffer out;
    std::vector<Ev> evs;
    for (int b = 0; b < 4; ++b)
    {
        juce::MidiBuffer in;
        if (b == 0)
            in.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 100);
        mirror.process (in, out, 512, 48000.0, s);
        collect (out, b * 512, evs);
    }
    ASSERT_EQ (evs.size(), 2u);
    EXPECT_EQ (evs[1].note, 67);
    EXPECT_EQ (evs[1].at, 2 * 512 + 324);
    EXPECT_TRUE (mirror.getPending().empty());
}

TEST (Mirror, NotesForModesAxesAndRanges)
{
    struct Case { int mode, axis, range; std::vector<int> held; int source, expected; };
    const Case cases[] = {
        { MirrorTransform::power5th, 0, -2, { 10 }, 10, 0 },           // below 0 plays as 0
        { MirrorTransform::octaveFlip, 0, 2, { 120 }, 120, 127 },       // above 127 plays as 127
        { MirrorTransform::power5th, 0, -2, { 60 }, 60, 43 },
        { MirrorTransform::rootMirror, 0, 0, { 55, 60 }, 60, 50 },
        { MirrorTransform::rootMirror, 0, 1, { 55 }, 55, 67 },          // the root itself: doubled R away
        { MirrorTransform::axisMirror, 0, 0, { 55, 60 }, 60, 50 },      // "Played Root" = root mirror
        { MirrorTransform::axisMirror, 5, 0, { 60 }, 60, 68 },          // around E: 64 is nearest
        { MirrorTransform::axisMirror, 5, 0, { 62 }, 62, 66 },
        { MirrorTransform::axisMirror, 5, 0, { 58 }, 58, 46 },          // tie between 52 and 64: lower
        { 9, 0, 0, { 60 }, 60, 67 },                                     // unknown mode: Power 5th
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "mode " << c.mode << " axis " << c.axis << " source " << c.source);
        MirrorTransform mirror;
        MirrorTransform::Settings s;
        s.mode = c.mode; s.axis = c.axis; s.range = c.range; s.delayMs = 0.0f;
        juce::MidiBuffer in, out;
        for (int n : c.held)
            in.addEvent (juce::MidiMessage::noteOn (1, n, (juce::uint8) 90), 0);
        mirror.process (in, out, 64, 48000.0, s);
        EXPECT_EQ (mirror.getMappedNote (0, c.source), c.expected);
    }
}

TEST (Mirror, RetriggerEndsTheEarlierMirrorNoteFirst)
{
    MirrorTransform mirror;
    MirrorTransform::Settings s;
    s.delayMs = 0.0f;
    juce::MidiBuffer in, out;
    in.addEvent (juce::MidiMessage::noteOn (2, 60, (juce::uint8) 100), 0);
    in.addEvent (juce::MidiMessage::noteOn (2, 60, (juce::uint8) 100), 50);
    mirror.process (in, out, 512, 48000.0, s);
    std::vector<Ev> evs;
    collect (out, 0, evs);
    ASSERT_EQ (evs.size(), 5u);
    EXPECT_TRUE (evs[2].on); EXPECT_EQ (evs[2].note, 60);
    EXPECT_FALSE (evs[3].on); EXPECT_EQ (evs[3].note, 67); EXPECT_EQ (evs[3].channel, 2);
    EXPECT_TRUE (evs[4].on); EXPECT_EQ (evs[4].note, 67);
}

TEST (MonoStack, HandsTheVoiceBackLegato)
{
    struct Step { int note; bool down; };
    struct Case { std::vector<Step> steps; std::vector<std::pair<bool, int>> expected; };
    const Case cases[] = {
        { { { 60, true }, { 64, true }, { 64, false }, { 60, false } }, { { true, 60 }, { true, 64 }, { true, 60 }, { false, 60 } } },
        { { { 60, true }, { 64, true }, { 60, false } }, { { true, 60 }, { true, 64 }, { true, 64 } } },
    };
    for (const auto& c : cases)
    {
        MonoNoteStack mono;
        juce::MidiBuffer in, out;
        int t = 0;
        for (const auto& st : c.steps)
            in.addEvent (st.down ? juce::MidiMessage::noteOn (1, st.note, (juce::uint8) 90) : juce::MidiMessage::noteOff (1, st.note), t += 10);
        mono.process (in, out);
        std::vector<Ev> evs;
        collect (out, 0, evs);
        ASSERT_EQ (evs.size(), c.expected.size());
        for (size_t i = 0; i < evs.size(); ++i)
        {
            EXPECT_EQ (evs[i].on, c.expected[i].first);
            EXPECT_EQ (evs[i].note, c.expected[i].second);
            EXPECT_EQ (evs[i].at, (long long) (i + 1) * 10);
        }
    }

    // The last note-off goes to the channel the sounding note was started on.
    MonoNoteStack mono;
    juce::MidiBuffer in, out;
    in.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 90), 0);
    in.addEvent (juce::MidiMessage::noteOn (2, 64, (juce::uint8) 90), 1);
    in.addEvent (juce::MidiMessage::noteOff (1, 60), 2);   // hands back E on channel 1
    in.addEvent (juce::MidiMessage::noteOff (2, 64), 3);
    mono.process (in, out);
    std::vector<Ev> evs;
    collect (out, 0, evs);
    ASSERT_EQ (evs.size(), 4u);
    EXPECT_FALSE (evs[3].on);
    EXPECT_EQ (evs[3].channel, evs[2].channel);
}

TEST (Humanizer, OffsetsFollowNoteOffsAndVelocitiesStayAudible)
{
    Humanizer h;
    std::set<int> seen;
    for (int trial = 0; trial < 400; ++trial)
    {
        juce::MidiBuffer in, out;
        in.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) (trial % 2 == 0 ? 1 : 127)), 0);
        in.addEvent (juce::MidiMessage::noteOff (1, 60), 100);
        h.process (in, out, 512, 1.0f);
        std::vector<Ev> evs;
        collect (out, 0, evs);
        ASSERT_EQ (evs.size(), 2u);
        EXPECT_GE (evs[0].at, 0);
        EXPECT_LE (evs[0].at, 18);
        EXPECT_GE (evs[0].velocity, 1);
        EXPECT_LE (evs[0].velocity, 127);
        seen.insert ((int) evs[0].at);
        // The note-off moved by the note-on's own (unclamped) offset.
        EXPECT_GE (evs[1].at, 100 - 18);
        EXPECT_LE (evs[1].at, 100 + 18);
        EXPECT_EQ (evs[1].at - 100, evs[0].at == 0 ? evs[1].at - 100 : evs[0].at);
        EXPECT_EQ (h.getOffset (60), 0);
    }
    EXPECT_EQ (seen.size(), 19u);   // every position 0 … 18 occurs (negative offsets clamp to 0)

    juce::MidiBuffer in, out;   // positions at the end of the block clamp to its last sample
    in.addEvent (juce::MidiMessage::noteOn (1, 61, (juce::uint8) 90), 511);
    for (int i = 0; i < 50; ++i)
    {
        h.process (in, out, 512, 1.0f);
        for (const auto meta : out)
            EXPECT_LE (meta.samplePosition, 511);
    }
}
