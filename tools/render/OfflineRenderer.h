#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>
#include <vector>

class VelmoraSynthAudioProcessor;

namespace halcyra
{

/** A MIDI event at an absolute sample position of the render. */
struct TimedMidi
{
    juce::int64 sample = 0;
    juce::MidiMessage message;
};

/** Level figures of a rendered buffer. */
struct RenderStats
{
    double seconds = 0.0;
    float peak = 0.0f;
    float rms = 0.0f;
    bool finite = true;
};

RenderStats measure (const juce::AudioBuffer<float>& audio, double sampleRate);

/** Reads a Standard MIDI File into sample-positioned events (all tracks merged, meta events
    dropped). Returns false with a message when the file is missing or not a MIDI file. */
bool readMidiFile (const juce::File& file, double sampleRate, std::vector<TimedMidi>& events, juce::String& error);

/** Reads a motion log (CSV: time in ms, then the ten motion values; '#' lines are comments) into
    controller messages 20–29 at their sample positions, the processor's own controller path.
    Each row is sent again every 500 ms until the next one (and until untilSample after the
    last), so the two-second controller hold never lapses. */
bool readMotionLog (const juce::File& file, double sampleRate, juce::int64 untilSample,
                    std::vector<TimedMidi>& events, juce::String& error);

/** Drives the real processor block by block, exactly as a host would, and collects its output. */
class OfflineRenderer
{
public:
    OfflineRenderer (double sampleRate, int blockSize, int numChannels = 2);
    ~OfflineRenderer();

    VelmoraSynthAudioProcessor& processor() noexcept { return *proc; }

    /** Sets a parameter in its own units. Returns false with a message for an unknown ID or a
        value outside the parameter's range; choice parameters also take their choice text. */
    bool setParameter (const juce::String& id, const juce::String& valueText, juce::String& error);

    /** Renders the events followed by tailSeconds of release. */
    juce::AudioBuffer<float> render (std::vector<TimedMidi> events, double tailSeconds);

    /** Renders a fixed number of samples (no events after the list). */
    juce::AudioBuffer<float> renderSamples (std::vector<TimedMidi> events, juce::int64 totalSamples);

    /** Fixes every random source of the processor (voice phases and detune, the arpeggiator's
        "Random" pattern, the humanizer), so that the same render comes out the same. */
    void seedRandomSources (juce::int64 seed);

    /** Gives the processor a play head that reports this tempo and the render position, as a
        playing host transport does. Without one the processor sees no play head. */
    void setTempo (double bpm);

    double getSampleRate() const noexcept { return sampleRate; }
    int getBlockSize() const noexcept     { return blockSize; }

private:
    struct RenderPlayHead : juce::AudioPlayHead
    {
        double bpm = 120.0, sampleRate = 48000.0;
        juce::int64 position = 0;
        juce::Optional<PositionInfo> getPosition() const override;
    };

    double sampleRate;
    int blockSize, numChannels;
    std::unique_ptr<VelmoraSynthAudioProcessor> proc;
    std::unique_ptr<RenderPlayHead> playHead;
};

bool writeWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, juce::String& error);

} // namespace halcyra
