#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

namespace velmora
{

/** Moves every note-on by a few random samples (up to 18 at full amount) and varies its
    velocity; each note-off follows its note-on by the same offset. */
class Humanizer
{
public:
    Humanizer() : humanizeRandom (juce::Random::getSystemRandom().nextInt64()) {}

    void reset() noexcept { humanizeNoteOffsets.fill (0); }

    /** Rewrites one block: the working MIDI in, its replacement out (cleared first). */
    void process (const juce::MidiBuffer& input, juce::MidiBuffer& output, int numSamples, float amount);

    int getOffset (int note) const noexcept { return humanizeNoteOffsets[(size_t) note]; }
    void setRandomSeed (juce::int64 seed) noexcept { humanizeRandom.setSeed (seed); }

private:
    std::array<int, 128> humanizeNoteOffsets {};
    juce::Random humanizeRandom;
};

} // namespace velmora
