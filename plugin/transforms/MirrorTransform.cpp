#include "MirrorTransform.h"

namespace velmora
{

MirrorTransform::MirrorTransform()
{
    mirrorHeldNotes.reserve (256);
    reserveQueue();
    reset();
}

void MirrorTransform::reset()
{
    mirrorHeldNotes.clear();
    pendingMirrorEvents.clear();   // keeps its capacity
    for (auto& channel : mirrorNoteMap)
        channel.fill (-1);
}

void MirrorTransform::addMirrorEventWithDelay (juce::MidiBuffer& output, const juce::MidiMessage& message,
                                               int samplePosition, int delaySamples, int numSamples)
{
    const int t = delaySamples >= 1 ? samplePosition + delaySamples : samplePosition;
    if (t < numSamples)
        output.addEvent (message, t);
    else
        pendingMirrorEvents.push_back ({ t - numSamples, message });
}

int MirrorTransform::mirrorNoteFor (int n, const Settings& s) const noexcept
{
    const int R = 12 * s.range;
    const int root = mirrorHeldNotes.empty() ? n : mirrorHeldNotes.front();

    switch (s.mode)
    {
        case rootMirror:
            return 2 * root - n + R;

        case axisMirror:
        {
            if (s.axis < 1 || s.axis > 12)
                return 2 * root - n + R;

            // The nearest MIDI note of the axis pitch class; on a tie the lower one.
            const int pitchClass = s.axis - 1;
            const int below = n - (((n - pitchClass) % 12) + 12) % 12;
            const int above = below + 12;
            int a = (n - below <= above - n) ? below : above;
            if (a < 0) a = above;
            if (a > 127) a = below;
            return 2 * a - n + R;
        }

        case octaveFlip:
            return n + 12 + R;

        case power5th:
        default:
            return n + 7 + R;
    }
}

void MirrorTransform::process (const juce::MidiBuffer& input, juce::MidiBuffer& output, int numSamples,
                               double sampleRate, const Settings& s)
{
    output.clear();

    const float depth = juce::jlimit (0.0f, 1.0f, s.depth);
    const int delay = sampleRate > 0.0
                    ? (int) std::nearbyint (juce::jlimit (0.0, 250.0, (double) s.delayMs) * 0.001 * sampleRate)
                    : 0;

    // Events due in this block leave the queue, in order; the rest wait on.
    size_t kept = 0;
    for (size_t i = 0; i < pendingMirrorEvents.size(); ++i)
    {
        auto& e = pendingMirrorEvents[i];
        if (e.samplesUntilDue - numSamples >= 0)
        {
            e.samplesUntilDue -= numSamples;
            if (kept != i)
                pendingMirrorEvents[kept] = std::move (e);
            ++kept;
        }
        else
        {
            output.addEvent (e.message, juce::jmax (0, e.samplesUntilDue));
        }
    }
    pendingMirrorEvents.erase (pendingMirrorEvents.begin() + (std::ptrdiff_t) kept, pendingMirrorEvents.end());

    for (const auto meta : input)
    {
        const int t = meta.samplePosition;
        output.addEvent (meta.data, meta.numBytes, t);

        const auto m = meta.getMessage();
        if (! m.isNoteOnOrOff())
            continue;

        const int n = m.getNoteNumber();
        const int ch = juce::jlimit (0, 15, m.getChannel() - 1);
        auto& mapped = mirrorNoteMap[(size_t) ch][(size_t) n];

        if (m.isNoteOff())
        {
            mirrorHeldNotes.erase (std::remove (mirrorHeldNotes.begin(), mirrorHeldNotes.end(), n), mirrorHeldNotes.end());
            if (mapped >= 0)
            {
                addMirrorEventWithDelay (output, juce::MidiMessage::noteOff (ch + 1, mapped, (juce::uint8) 0), t, delay, numSamples);
                mapped = -1;
            }
            continue;
        }

        mirrorHeldNotes.erase (std::remove (mirrorHeldNotes.begin(), mirrorHeldNotes.end(), n), mirrorHeldNotes.end());
        mirrorHeldNotes.push_back (n);
        std::sort (mirrorHeldNotes.begin(), mirrorHeldNotes.end());

        if (mapped >= 0)   // a retriggered key ends its earlier mirror note first
            addMirrorEventWithDelay (output, juce::MidiMessage::noteOff (ch + 1, mapped, (juce::uint8) 0), t, delay, numSamples);

        mapped = juce::jlimit (0, 127, mirrorNoteFor (n, s));

        if (depth > 0.001f)
        {
            // A note-on of velocity 0 would act as a note-off; the softest mirror note is 1.
            const int velocity = juce::jlimit (1, 127, (int) std::nearbyint ((double) m.getVelocity() / 127.0 * depth * 127.0));
            addMirrorEventWithDelay (output, juce::MidiMessage::noteOn (ch + 1, mapped, (juce::uint8) velocity), t, delay, numSamples);
        }
    }
}

} // namespace velmora
