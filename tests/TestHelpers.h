#pragma once

#include "plugin/PluginProcessor.h"

namespace testsupport
{

inline void setParam (VelmoraSynthAudioProcessor& proc, const char* id, float value)
{
    auto* p = proc.getParameterState().getParameter (id);
    jassert (p != nullptr);
    p->setValueNotifyingHost (p->convertTo0to1 (value));
}

/** Every parameter back to its default (a new instance starts on the "Mirror Core" preset). */
inline void resetToDefaults (VelmoraSynthAudioProcessor& proc)
{
    for (auto* p : proc.getParameters())
        p->setValueNotifyingHost (p->getDefaultValue());
}

/** Gives every voice of both engines a fixed random sequence, so two instances sound alike. */
inline void seedVoices (VelmoraSynthAudioProcessor& proc, juce::int64 base = 1234)
{
    for (auto* synth : { &proc.getPolySynth(), &proc.getMonoSynth() })
        for (int i = 0; i < synth->getNumVoices(); ++i)
            static_cast<velmora::PadSynthVoice*> (synth->getVoice (i))->setRandomSeed (base + i);
}

inline int countActiveVoices (juce::Synthesiser& synth)
{
    int n = 0;
    for (int i = 0; i < synth.getNumVoices(); ++i)
        n += synth.getVoice (i)->isVoiceActive() ? 1 : 0;
    return n;
}

inline float peakOf (const juce::AudioBuffer<float>& b)
{
    float peak = 0.0f;
    for (int ch = 0; ch < b.getNumChannels(); ++ch)
        peak = std::max (peak, b.getMagnitude (ch, 0, b.getNumSamples()));
    return peak;
}

/** A prepared processor with a stereo buffer, played block by block. */
struct ProcessorRig
{
    explicit ProcessorRig (double rate = 48000.0, int block = 512, int channels = 2, bool defaults = true)
        : sampleRate (rate), blockSize (block), buffer (channels, block)
    {
        if (defaults)
            resetToDefaults (proc);
        proc.setBusesLayout ({ {}, { channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo() } });
        proc.setRateAndBufferSizeDetails (rate, block);
        proc.prepareToPlay (rate, block);
    }

    /** Renders one block with the given MIDI and returns its buffer. */
    juce::AudioBuffer<float>& block (juce::MidiBuffer midi = {})
    {
        buffer.setSize (buffer.getNumChannels(), blockSize, false, false, true);
        proc.processBlock (buffer, midi);
        return buffer;
    }

    juce::AudioBuffer<float>& noteOn (int note, int velocity = 100, int at = 0)
    {
        juce::MidiBuffer m;
        m.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) velocity), at);
        return block (m);
    }

    juce::AudioBuffer<float>& noteOff (int note, int at = 0)
    {
        juce::MidiBuffer m;
        m.addEvent (juce::MidiMessage::noteOff (1, note), at);
        return block (m);
    }

    VelmoraSynthAudioProcessor proc;
    double sampleRate;
    int blockSize;
    juce::AudioBuffer<float> buffer;
};

} // namespace testsupport
