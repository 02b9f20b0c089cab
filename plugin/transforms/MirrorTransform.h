#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <vector>

namespace velmora
{

/** A mirror event that falls past the end of its block, waiting for a later one. */
struct PendingMirrorEvent
{
    int samplesUntilDue = 0;      // from the start of the next block
    juce::MidiMessage message;
};

/** Adds to every played note a derived "mirror" note — a fifth or an octave above, or the note
    reflected around the lowest held key or a chosen pitch class — shifted by whole octaves,
    softer by a depth and later by up to 250 ms. Played notes pass unchanged. Mirror note-offs
    are paired with their note-ons through a per-channel map; events past the block's end wait
    in a queue and are released sample-accurately in a later block. */
class MirrorTransform
{
public:
    enum Mode { power5th, rootMirror, axisMirror, octaveFlip };

    struct Settings
    {
        int mode = power5th;
        int axis = 0;             // 0 "Played Root", 1 … 12 the pitch classes C … B
        int range = 0;            // octaves
        float depth = 0.72f;
        float delayMs = 26.0f;
    };

    /** Room for the queue so that ordinary playing never allocates; a flood may still grow it
        (dropping a queued note-off would leave a stuck note). */
    static constexpr size_t reservedQueue = 4096;

    MirrorTransform();

    void reset();
    void reserveQueue() { pendingMirrorEvents.reserve (reservedQueue); }

    /** Rewrites one block: the working MIDI in, its replacement out (cleared first). */
    void process (const juce::MidiBuffer& input, juce::MidiBuffer& output, int numSamples,
                  double sampleRate, const Settings& settings);

    /** Places message at samplePosition + delaySamples in this block, or queues it. */
    void addMirrorEventWithDelay (juce::MidiBuffer& output, const juce::MidiMessage& message,
                                  int samplePosition, int delaySamples, int numSamples);

    /** The mirror note for source note n before limiting, given the held notes (which include n). */
    int mirrorNoteFor (int n, const Settings& settings) const noexcept;

    const std::vector<int>& getHeldNotes() const noexcept                { return mirrorHeldNotes; }
    const std::vector<PendingMirrorEvent>& getPending() const noexcept   { return pendingMirrorEvents; }
    int getMappedNote (int channel, int note) const noexcept             { return mirrorNoteMap[(size_t) channel][(size_t) note]; }

private:
    std::vector<int> mirrorHeldNotes;
    std::array<std::array<int, 128>, 16> mirrorNoteMap;
    std::vector<PendingMirrorEvent> pendingMirrorEvents;
};

} // namespace velmora
