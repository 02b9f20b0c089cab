#include "Humanizer.h"

namespace velmora
{

void Humanizer::process (const juce::MidiBuffer& input, juce::MidiBuffer& output, int numSamples, float amount)
{
    output.clear();

    const float h = juce::jmin (1.0f, amount);
    const float spread = 0.16f * h;
    const int maxOffset = (int) std::nearbyint (18.0f * h);
    const int last = juce::jmax (1, numSamples) - 1;

    for (const auto meta : input)
    {
        const auto m = meta.getMessage();
        const int t = meta.samplePosition;

        if (m.isNoteOn())
        {
            const int n = m.getNoteNumber();
            const int d = maxOffset > 0 ? humanizeRandom.nextInt (2 * maxOffset + 1) - maxOffset : 0;
            const float j = 2.0f * humanizeRandom.nextFloat() - 1.0f;
            const float v = (float) m.getVelocity() / 127.0f + j * spread;
            const int velocity = v < 0.01f ? 1 : juce::jlimit (0, 127, juce::roundToInt (juce::jmin (1.0f, v) * 127.0f));
            humanizeNoteOffsets[(size_t) n] = d;
            output.addEvent (juce::MidiMessage::noteOn (m.getChannel(), n, (juce::uint8) velocity), juce::jlimit (0, last, t + d));
        }
        else if (m.isNoteOff())
        {
            const int n = m.getNoteNumber();
            const int moved = t + humanizeNoteOffsets[(size_t) n];
            humanizeNoteOffsets[(size_t) n] = 0;
            output.addEvent (juce::MidiMessage::noteOff (m.getChannel(), n, (juce::uint8) 0), juce::jlimit (0, last, moved));
        }
        else
        {
            output.addEvent (meta.data, meta.numBytes, t);
        }
    }
}

} // namespace velmora
