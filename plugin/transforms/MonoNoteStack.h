#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <vector>

namespace velmora
{

/** The mono stage: keeps the held keys, oldest first, so that releasing the newest hands the
    single voice back to the one before, legato (as a note-on the voice takes over). */
class MonoNoteStack
{
public:
    MonoNoteStack();

    void reset();

    /** Rewrites one block: the working MIDI in, its replacement out (cleared first). */
    void process (const juce::MidiBuffer& input, juce::MidiBuffer& output);

    const std::vector<int>& getStack() const noexcept { return monoNoteStack; }

private:
    std::vector<int> monoNoteStack;
    std::array<float, 128> monoNoteVelocities {};
    int soundingChannel = 1;   // channel of the last note-on sent to the voice
};

} // namespace velmora
