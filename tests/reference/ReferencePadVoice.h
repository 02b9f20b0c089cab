#pragma once

#include "engine/PadSynthVoice.h"

// The pad voice rendered with its plain per-sample formulas: std::sin, std::pow and std::tanh for
// every value of every sample, one unison copy and one partial at a time. Note starts, envelopes,
// filter settings and random draws are the engine voice's own; only rendering differs, so the
// tests can hold the engine's fast kernels against it.
namespace velmora::reference
{

class ReferencePadVoice : public velmora::PadSynthVoice
{
public:
    void renderNextBlock (juce::AudioBuffer<float>& output, int startSample, int numSamples) override;
    using juce::SynthesiserVoice::renderNextBlock;
};

} // namespace velmora::reference
