#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace velmora
{

/** Plays the held keys one step at a time on a sample clock derived from the host tempo, in one
    of five patterns over one to four octaves, with swing and a gate length. It consumes the
    incoming MIDI (note events only update the held set) and emits note-ons (velocity 110) and
    note-offs on channel 1. Clock and step position carry over from block to block. */
class Arpeggiator
{
public:
    enum Pattern { up, down, upDown, random, chord };

    struct Settings
    {
        int rate = 2;          // "1/8", "1/8T", "1/16", "1/16T", "1/32"
        int pattern = up;
        int octaves = 2;
        float gate = 0.68f;
        float swing = 0.0f;
    };

    Arpeggiator();

    /** Back to the initial state (the random source runs on). */
    void reset();

    /** Runs one block: reads `input`, appends the arpeggio to `output`. */
    void processMidi (const juce::MidiBuffer& input, juce::MidiBuffer& output, int numSamples,
                      double sampleRate, double bpm, const Settings& settings);

    /** Follows key presses and releases without playing (while the arpeggiator is switched off,
        so that switching it on plays the keys held at that moment). */
    void trackHeldNotes (const juce::MidiBuffer& input);

    /** Forgets the notes it switched on (the synthesisers were told to release them). */
    void forgetActiveNotes() noexcept { activeNotes.clear(); samplesUntilNoteOff = -1.0; }

    /** Beats per step for a rate index; unknown indices give a sixteenth. */
    static double beatsForRate (int rate) noexcept;

    const std::vector<int>& getHeldNotes() const noexcept   { return heldNotes; }
    const std::vector<int>& getActiveNotes() const noexcept { return activeNotes; }

    /** Replaces the random source's seed (tests). */
    void setRandomSeed (juce::int64 seed) noexcept { rng.setSeed (seed); }

private:
    void updateHeldNotes (const juce::MidiBuffer& input);
    void playStep (juce::MidiBuffer& output, int at, int octaves, int pattern);
    void noteOffsForActive (juce::MidiBuffer& output, int at);

    std::vector<int> heldNotes, activeNotes, chosen;
    int stepIndex = 0, octaveIndex = 0, direction = 1, stepCounter = 0;
    double samplesUntilNextStep = 0.0, samplesUntilNoteOff = -1.0;
    juce::Random rng;
};

} // namespace velmora
