#include "DemoPhrase.h"

namespace halcyra
{

std::vector<TimedMidi> makeDemoPhrase (double sampleRate)
{
    struct Note { double start, length; int note, velocity; };

    // Cmaj9, Am9, Fmaj7#11, G6sus: two seconds each, slightly overlapping, with a top line.
    static const Note notes[] = {
        { 0.0, 2.1, 48, 92 }, { 0.0, 2.1, 55, 84 }, { 0.0, 2.1, 64, 80 }, { 0.0, 2.1, 71, 78 }, { 0.0, 2.1, 74, 76 },
        { 2.0, 2.1, 45, 90 }, { 2.0, 2.1, 52, 82 }, { 2.0, 2.1, 60, 80 }, { 2.0, 2.1, 67, 78 }, { 2.0, 2.1, 71, 76 },
        { 4.0, 2.1, 41, 92 }, { 4.0, 2.1, 53, 82 }, { 4.0, 2.1, 57, 80 }, { 4.0, 2.1, 64, 78 }, { 4.0, 2.1, 71, 74 },
        { 6.0, 2.0, 43, 94 }, { 6.0, 2.0, 50, 84 }, { 6.0, 2.0, 60, 80 }, { 6.0, 2.0, 64, 78 }, { 6.0, 2.0, 69, 76 },
        { 0.5, 1.0, 79, 70 }, { 1.5, 1.0, 83, 66 }, { 2.5, 1.5, 81, 72 }, { 4.5, 1.0, 79, 68 },
        { 5.5, 0.5, 78, 64 }, { 6.5, 1.5, 79, 70 },
    };

    std::vector<TimedMidi> events;
    for (const auto& n : notes)
    {
        const auto on = (juce::int64) std::llround (n.start * sampleRate);
        const auto off = (juce::int64) std::llround ((n.start + n.length) * sampleRate);
        events.push_back ({ on, juce::MidiMessage::noteOn (1, n.note, (juce::uint8) n.velocity) });
        events.push_back ({ off, juce::MidiMessage::noteOff (1, n.note) });
    }

    std::stable_sort (events.begin(), events.end(), [] (const TimedMidi& a, const TimedMidi& b) { return a.sample < b.sample; });
    return events;
}

} // namespace halcyra
