#pragma once

namespace velmora
{

/** The effects chain's settings for one block, filled once per block by the block driver. */
struct FxRenderConfig
{
    float delayTimeMs = 0.0f;
    float delayFeedback = 0.0f;
    float delayTone = 0.0f;
    float delayMix = 0.0f;
    float reverbSize = 0.0f;
    float reverbDecay = 0.0f;
    float reverbMix = 0.0f;
    float reverbPreDelayMs = 0.0f;
    float tapeWow = 0.0f;
    float tapeFlutter = 0.0f;
    float outputSaturation = 0.0f;
    float vintageAmount = 0.0f;
    float bitDepth = 16.0f;
    float sampleRateReduce = 1.0f;
    float leftOpen = 0.0f;
    float lofiAmount = 0.0f;
};

} // namespace velmora
