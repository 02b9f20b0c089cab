#include "Arpeggiator.h"

namespace velmora
{
namespace
{
    constexpr int outputChannel = 1;
    constexpr juce::uint8 stepVelocity = 110;
}

Arpeggiator::Arpeggiator()
{
    // Chords and repeated presses within one block stay far below these; nothing allocates then.
    heldNotes.reserve (1024);
    activeNotes.reserve (128);
    chosen.reserve (128);
}

void Arpeggiator::reset()
{
    heldNotes.clear();
    activeNotes.clear();
    stepIndex = octaveIndex = stepCounter = 0;
    direction = 1;
    samplesUntilNextStep = 0.0;
    samplesUntilNoteOff = -1.0;
}

double Arpeggiator::beatsForRate (int rate) noexcept
{
    switch (rate)
    {
        case 0:  return 0.5;
        case 1:  return 1.0 / 3.0;
        case 3:  return 1.0 / 6.0;
        case 4:  return 0.125;
        default: return 0.25;
    }
}

void Arpeggiator::updateHeldNotes (const juce::MidiBuffer& input)
{
    for (const auto meta : input)
    {
        const auto m = meta.getMessage();
        if (m.isNoteOn())
        {
            heldNotes.push_back (m.getNoteNumber());
        }
        else if (m.isNoteOff())
        {
            heldNotes.erase (std::remove (heldNotes.begin(), heldNotes.end(), m.getNoteNumber()), heldNotes.end());
            if (heldNotes.empty())
            {
                stepIndex = octaveIndex = 0;
                direction = 1;
            }
        }
    }

    std::sort (heldNotes.begin(), heldNotes.end());
    heldNotes.erase (std::unique (heldNotes.begin(), heldNotes.end()), heldNotes.end());
}

void Arpeggiator::trackHeldNotes (const juce::MidiBuffer& input)
{
    updateHeldNotes (input);
}

void Arpeggiator::noteOffsForActive (juce::MidiBuffer& output, int at)
{
    for (int note : activeNotes)
        output.addEvent (juce::MidiMessage::noteOff (outputChannel, note, (juce::uint8) 0), at);
    activeNotes.clear();
}

void Arpeggiator::processMidi (const juce::MidiBuffer& input, juce::MidiBuffer& output, int numSamples,
                               double sampleRate, double bpm, const Settings& s)
{
    updateHeldNotes (input);

    if (heldNotes.empty())
    {
        noteOffsForActive (output, 0);
        samplesUntilNextStep = 0.0;
        samplesUntilNoteOff = -1.0;
        return;
    }

    const double samplesPerBeat = sampleRate * 60.0 / juce::jmax (bpm, 1.0);
    const double step = samplesPerBeat * beatsForRate (s.rate);

    // A step shorter than a sample (no sample rate, an absurd tempo) would never let the clock
    // move on: play nothing rather than spin.
    if (! (step >= 1.0) || ! std::isfinite (step) || numSamples <= 0)
        return;

    const double swing = juce::jlimit (0.0, 0.49, (double) s.swing);
    auto lengthOf = [step, swing] (int k) { return k % 2 == 0 ? step * (1.0 - swing) : step * (1.0 + swing); };
    double currentLength = lengthOf (stepCounter);
    const double gateSamples = juce::jmax (1.0, juce::jlimit (0.05, 0.98, (double) s.gate) * currentLength);
    const int octaves = juce::jlimit (1, 4, s.octaves);

    double pos = 0.0;
    while (pos < numSamples)
    {
        double advance = juce::jmin (samplesUntilNextStep, (double) numSamples - pos);
        if (samplesUntilNoteOff >= 0.0)
        {
            advance = juce::jmin (advance, samplesUntilNoteOff);
            samplesUntilNoteOff -= advance;
        }

        samplesUntilNextStep -= advance;
        pos += advance;
        const int at = juce::jlimit (0, numSamples - 1, (int) pos);

        if (samplesUntilNoteOff == 0.0)
        {
            noteOffsForActive (output, at);
            samplesUntilNoteOff = -1.0;
        }

        if (samplesUntilNextStep <= 0.0)
        {
            playStep (output, at, octaves, s.pattern);
            samplesUntilNextStep += currentLength;
            ++stepCounter;
            currentLength = lengthOf (stepCounter);
            samplesUntilNoteOff = gateSamples;
        }
    }
}

void Arpeggiator::playStep (juce::MidiBuffer& output, int at, int octaves, int pattern)
{
    noteOffsForActive (output, at);

    const int count = (int) heldNotes.size();
    chosen.clear();

    // Keys released while others stay held can leave the index past the end: start over.
    if (stepIndex >= count || stepIndex < 0)
        stepIndex = 0;

    auto advanceUp = [&] {
        if (++stepIndex >= count)
        {
            stepIndex = 0;
            octaveIndex = (octaveIndex + 1) % octaves;
        }
    };

    switch (pattern)
    {
        case down:
            chosen.push_back (heldNotes[(size_t) juce::jmax (0, count - 1 - stepIndex)] + 12 * octaveIndex);
            advanceUp();
            break;

        case upDown:
            chosen.push_back (heldNotes[(size_t) stepIndex] + 12 * octaveIndex);
            if (count == 1)
            {
                octaveIndex = (octaveIndex + 1) % octaves;
            }
            else
            {
                stepIndex += direction;
                if (stepIndex >= count)
                {
                    stepIndex = count >= 3 ? count - 2 : 0;
                    direction = -1;
                    octaveIndex = (octaveIndex + 1) % octaves;
                }
                else if (stepIndex < 0)
                {
                    stepIndex = 1;
                    direction = 1;
                }
            }
            break;

        case random:
        {
            const int i = rng.nextInt (count);
            const int o = rng.nextInt (octaves);
            chosen.push_back (heldNotes[(size_t) i] + 12 * o);
            break;
        }

        case chord:
            for (int note : heldNotes)
                chosen.push_back (note + 12 * octaveIndex);
            octaveIndex = (octaveIndex + 1) % octaves;
            break;

        case up:
        default:
            chosen.push_back (heldNotes[(size_t) stepIndex] + 12 * octaveIndex);
            advanceUp();
            break;
    }

    for (int note : chosen)
    {
        const int n = juce::jlimit (0, 127, note);
        output.addEvent (juce::MidiMessage::noteOn (outputChannel, n, stepVelocity), at);
        activeNotes.push_back (n);
    }
}

} // namespace velmora
