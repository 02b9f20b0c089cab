#include "MonoNoteStack.h"

namespace velmora
{

MonoNoteStack::MonoNoteStack()
{
    monoNoteStack.reserve (256);
}

void MonoNoteStack::reset()
{
    monoNoteStack.clear();
    monoNoteVelocities.fill (0.0f);
    soundingChannel = 1;
}

void MonoNoteStack::process (const juce::MidiBuffer& input, juce::MidiBuffer& output)
{
    output.clear();

    for (const auto meta : input)
    {
        const auto m = meta.getMessage();
        const int t = meta.samplePosition;

        if (! m.isNoteOnOrOff())
        {
            output.addEvent (meta.data, meta.numBytes, t);
            continue;
        }

        const int n = m.getNoteNumber();
        monoNoteStack.erase (std::remove (monoNoteStack.begin(), monoNoteStack.end(), n), monoNoteStack.end());

        if (m.isNoteOn())
        {
            monoNoteStack.push_back (n);
            monoNoteVelocities[(size_t) n] = (float) m.getVelocity() / 127.0f;
            const int velocity = juce::jlimit (0, 127, juce::roundToInt (monoNoteVelocities[(size_t) n] * 127.0f));
            output.addEvent (juce::MidiMessage::noteOn (m.getChannel(), n, (juce::uint8) velocity), t);
            soundingChannel = m.getChannel();
        }
        else if (monoNoteStack.empty())
        {
            // The voice plays n, started on the channel of the last note-on it was given; a
            // note-off on another channel would not reach it.
            output.addEvent (juce::MidiMessage::noteOff (soundingChannel, n, (juce::uint8) 0), t);
        }
        else
        {
            const int previous = monoNoteStack.back();
            const int velocity = juce::jmax (0, juce::roundToInt (juce::jmin (1.0f, monoNoteVelocities[(size_t) previous]) * 127.0f));
            output.addEvent (juce::MidiMessage::noteOn (m.getChannel(), previous, (juce::uint8) juce::jmin (127, velocity)), t);
            soundingChannel = m.getChannel();
        }
    }
}

} // namespace velmora
