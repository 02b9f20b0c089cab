#pragma once

#include "FxRenderConfig.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace velmora
{

/** The effects after the voices, in order: a bit crusher sharing one loop with a feedback delay
    (tone filter in the feedback path), a pre-delayed reverb send mixed back high-passed, and a
    tape stage (wow and flutter on a short delay line, then tanh saturation) that always runs.
    Every stage clamps what it writes to [−1, 1]. Buffers are sized in prepare(); processing
    allocates nothing for blocks up to the prepared size. */
class EffectsChain
{
public:
    EffectsChain() = default;

    void prepare (double newSampleRate, int numOutputChannels, int maximumBlockSize);
    void reset() noexcept;

    void process (juce::AudioBuffer<float>& block, const FxRenderConfig& config) noexcept;
    void processTape (juce::AudioBuffer<float>& block, const FxRenderConfig& config) noexcept;

    double getSampleRate() const noexcept { return sampleRate; }
    int getNumChannels() const noexcept   { return numChannels; }
    int getDelayLength() const noexcept   { return delayBuffer.getNumSamples(); }
    int getTapeLength() const noexcept    { return tapeBuffer.getNumSamples(); }
    int getPreDelayLength() const noexcept { return preDelayBuffer.getNumSamples(); }

    /** The delay in samples the delay stage uses for this config (at least 1, below the line's length). */
    int delaySamplesFor (const FxRenderConfig& config) const noexcept;

private:
    void processCrusherAndDelay (juce::AudioBuffer<float>& block, const FxRenderConfig& config) noexcept;
    void processReverbSend (juce::AudioBuffer<float>& block, const FxRenderConfig& config) noexcept;
    static void sizeBuffer (juce::AudioBuffer<float>& buffer, int channels, int samples);

    double sampleRate = 44100.0;
    int numChannels = 2;

    int delayWritePos = 0, tapeWritePos = 0, preDelayWritePos = 0, crushCounter = 0;
    float heldLeft = 0.0f, heldRight = 0.0f;
    float reverbHighpass[2] {}, delayToneState[2] {};

    juce::AudioBuffer<float> delayBuffer, tapeBuffer, preDelayBuffer, wetBuffer;
    juce::Reverb reverb;
    double tapePhase[2] {};

    JUCE_DECLARE_NON_COPYABLE (EffectsChain)
};

} // namespace velmora
