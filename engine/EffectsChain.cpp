#include "EffectsChain.h"
#include "LaneMath.h"

#include <algorithm>

namespace velmora
{
namespace
{
    constexpr double twoPiDouble = 6.283185307179586;

    inline float clampUnit (float x) noexcept { return juce::jlimit (-1.0f, 1.0f, x); }

    inline lanes::F8 clampLanes (lanes::F8 x) noexcept
    {
        x = lanes::select (x > 1.0f, lanes::splat<lanes::F8> (1.0f), x);
        return lanes::select (x < -1.0f, lanes::splat<lanes::F8> (-1.0f), x);
    }

    // Rounds halves away from zero.
    inline int nearest (float x) noexcept { return (int) std::round (x); }
}

void EffectsChain::sizeBuffer (juce::AudioBuffer<float>& buffer, int channels, int samples)
{
    if (buffer.getNumChannels() != channels || buffer.getNumSamples() != samples)
    {
        buffer.setSize (channels, samples);
        buffer.clear();   // a resized line starts silent, never with stale or uninitialised data
    }
}

void EffectsChain::prepare (double newSampleRate, int numOutputChannels, int maximumBlockSize)
{
    sampleRate = newSampleRate;
    numChannels = juce::jmax (1, numOutputChannels);

    sizeBuffer (delayBuffer, numChannels, (int) std::floor (4.0 * sampleRate));
    sizeBuffer (tapeBuffer, numChannels, (int) std::floor (0.12 * sampleRate));
    sizeBuffer (preDelayBuffer, numChannels, (int) std::floor (0.5 * sampleRate));
    sizeBuffer (wetBuffer, numChannels, juce::jmax (1, maximumBlockSize));

    reverb.setSampleRate (sampleRate);   // tuned to the host rate, not left at 44.1 kHz
    reset();
}

void EffectsChain::reset() noexcept
{
    delayBuffer.clear();
    preDelayBuffer.clear();
    wetBuffer.clear();

    delayWritePos = tapeWritePos = preDelayWritePos = crushCounter = 0;
    heldLeft = heldRight = 0.0f;
    for (int ch = 0; ch < 2; ++ch)
        reverbHighpass[ch] = delayToneState[ch] = 0.0f;
    tapePhase[0] = tapePhase[1] = 0.0;
    reverb.reset();
}

void EffectsChain::process (juce::AudioBuffer<float>& block, const FxRenderConfig& config) noexcept
{
    if (block.getNumSamples() < 1)
        return;

    processCrusherAndDelay (block, config);
    processReverbSend (block, config);
    processTape (block, config);
}

int EffectsChain::delaySamplesFor (const FxRenderConfig& config) const noexcept
{
    const int length = delayBuffer.getNumSamples();
    int d = (int) std::floor ((double) config.delayTimeMs * sampleRate * 0.001);
    d = juce::jmin (d, juce::jmax (2, length) - 1);
    return d <= 0 ? 1 : d;
}

void EffectsChain::processCrusherAndDelay (juce::AudioBuffer<float>& block, const FxRenderConfig& c) noexcept
{
    const int n = block.getNumSamples();
    const float open = juce::jlimit (0.0f, 1.0f, c.leftOpen);
    const float lofi = juce::jlimit (0.0f, 1.0f, c.lofiAmount);

    const int bits = nearest (c.bitDepth - 6.0f * c.lofiAmount);
    const float levels = std::pow (2.0f, (float) juce::jlimit (4, 16, bits)) - 1.0f;
    const int holdUnlimited = nearest (c.sampleRateReduce + 5.0f * c.lofiAmount);
    const int hold = juce::jlimit (1, 32, holdUnlimited);
    const bool crusherOn = bits < 16 || holdUnlimited >= 2;

    const int length = delayBuffer.getNumSamples();
    const int d = delaySamplesFor (c);
    const float mix = c.delayMix <= 0.0001f ? 0.0f : juce::jlimit (0.0f, 1.0f, c.delayMix + 0.08f * open + 0.18f * lofi);
    const float feedback = juce::jlimit (0.0f, 0.98f, c.delayFeedback + 0.08f * lofi);
    const float tone = juce::jlimit (0.001f, 1.0f, (float) ((500.0 + 11500.0 * juce::jlimit (0.0f, 1.0f, c.delayTone)) / sampleRate));
    const bool delayOn = mix > 0.0001f && length > 0;

    if (! crusherOn && ! delayOn)
        return;

    const int blockChannels = block.getNumChannels();
    // The per-channel filter states hold two channels (the processor runs mono or stereo).
    const int nc = juce::jmin (delayBuffer.getNumChannels(), blockChannels, 2);
    auto q = [levels] (float x) { return (float) nearest ((0.5f * x + 0.5f) * levels) / levels * 2.0f - 1.0f; };

    for (int i = 0; i < n; ++i)
    {
        if (crusherOn && blockChannels > 0)
        {
            if (crushCounter == 0)
            {
                heldLeft = q (block.getSample (0, i));
                heldRight = blockChannels > 1 ? q (block.getSample (1, i)) : heldLeft;
            }
            crushCounter = (crushCounter + 1) % hold;
        }

        if (nc > 0 && delayOn)
        {
            const int r = (delayWritePos + length - d) % length;
            for (int ch = 0; ch < nc; ++ch)
            {
                const float x = crusherOn ? (ch == 0 ? heldLeft : heldRight) : block.getSample (ch, i);
                const float t = delayBuffer.getSample (ch, r);
                auto& toneState = delayToneState[ch];
                toneState += (t - toneState) * tone;
                delayBuffer.setSample (ch, delayWritePos, clampUnit (x + toneState * feedback));
                block.setSample (ch, i, clampUnit (x + t * mix));   // the wet tap itself is unfiltered
            }
        }
        else if (crusherOn)
        {
            for (int ch = 0; ch < nc; ++ch)
                block.setSample (ch, i, clampUnit (ch == 0 ? heldLeft : heldRight));
        }

        if (delayOn)
            delayWritePos = (delayWritePos + 1) % length;
    }
}

void EffectsChain::processReverbSend (juce::AudioBuffer<float>& block, const FxRenderConfig& c) noexcept
{
    if (c.reverbMix <= 0.0001f)
        return;

    const float open = juce::jlimit (0.0f, 1.0f, c.leftOpen);
    float s = c.reverbMix + 0.05f * open;
    if (s < 0.0f)
        return;
    s = juce::jmin (0.72f, s);
    if (s <= 0.0001f)
        return;

    const int n = block.getNumSamples();
    const int channels = block.getNumChannels();

    // Storage only grows: within the prepared size this reuses what prepare() allocated.
    wetBuffer.setSize (channels, n, false, false, true);
    if (block.hasBeenCleared())
        wetBuffer.clear();
    else
        for (int ch = 0; ch < channels; ++ch)
            wetBuffer.copyFrom (ch, 0, block, ch, 0, n);

    const int preLength = preDelayBuffer.getNumSamples();
    const int p = juce::jlimit (0, juce::jmax (1, preLength) - 1, (int) std::floor ((double) c.reverbPreDelayMs * sampleRate * 0.001));
    if (p > 0)
    {
        const int pc = juce::jmin (channels, preDelayBuffer.getNumChannels());
        for (int j = 0; j < n; ++j)
        {
            const int r = (preDelayWritePos + preLength - p) % preLength;
            for (int ch = 0; ch < pc; ++ch)
            {
                preDelayBuffer.setSample (ch, preDelayWritePos, wetBuffer.getSample (ch, j));
                wetBuffer.setSample (ch, j, preDelayBuffer.getSample (ch, r));
            }
            preDelayWritePos = (preDelayWritePos + 1) % preLength;
        }
    }

    juce::Reverb::Parameters params;
    params.roomSize = juce::jlimit (0.0f, 1.0f, c.reverbSize + 0.14f * open);
    params.damping = juce::jlimit (0.0f, 1.0f, 1.0f - 0.78f * c.reverbDecay);
    params.wetLevel = 1.0f;
    params.dryLevel = 0.0f;
    params.width = juce::jlimit (0.55f, 1.0f, 0.86f + 0.12f * open);
    params.freezeMode = 0.0f;
    reverb.setParameters (params);

    if (channels >= 2)
        reverb.processStereo (wetBuffer.getWritePointer (0), wetBuffer.getWritePointer (1), n);
    else if (channels == 1)
        reverb.processMono (wetBuffer.getWritePointer (0), n);

    const float dryGain = juce::jlimit (0.72f, 1.0f, 1.0f - 0.09f * s);
    const float h = juce::jlimit (0.001f, 0.05f, (float) (180.0 / sampleRate));
    for (int ch = 0; ch < juce::jmin (channels, 2); ++ch)
    {
        auto* out = block.getWritePointer (ch);
        const auto* wet = wetBuffer.getReadPointer (ch);
        auto& hp = reverbHighpass[ch];
        for (int i = 0; i < n; ++i)
        {
            hp += (wet[i] - hp) * h;
            out[i] = clampUnit (out[i] * dryGain + (wet[i] - hp) * s);
        }
    }
}

void EffectsChain::processTape (juce::AudioBuffer<float>& block, const FxRenderConfig& c) noexcept
{
    const int length = tapeBuffer.getNumSamples();
    const int n = block.getNumSamples();
    if (length == 0 || n == 0)
        return;

    const float w = c.tapeWow, f = c.tapeFlutter, s = c.outputSaturation, v = c.vintageAmount;
    const double wowDepth = 4.5 * w + 1.4 * v;        // ms
    const double flutterDepth = 0.7 * f + 0.12 * v;   // ms
    const float drive = 1.0f + 3.0f * s + 0.9f * v;
    const float normaliser = lanes::tanhLanes (lanes::splat<lanes::F8> (juce::jmax (drive, 1.0f)))[0];   // full scale stays full scale
    const double wowInc = twoPiDouble * (0.06 + 0.85 * w + 0.12 * v) / sampleRate;
    const double flutterInc = twoPiDouble * (2.0 + 7.0 * f + 0.8 * v) / sampleRate;

    const int channels = juce::jmin (block.getNumChannels(), tapeBuffer.getNumChannels());
    float* const* out = block.getArrayOfWritePointers();

    // Wow and flutter move slowly: their sines follow by rotation from an exact start each block
    // (in double, a block of rotations stays within 1e-13 of the sine).
    double wowSin = std::sin (tapePhase[0]), wowCos = std::cos (tapePhase[0]);
    double flutterSin = std::sin (tapePhase[1]), flutterCos = std::cos (tapePhase[1]);
    const double wowStepSin = std::sin (wowInc), wowStepCos = std::cos (wowInc);
    const double flutterStepSin = std::sin (flutterInc), flutterStepCos = std::cos (flutterInc);

    for (int i = 0; i < n; ++i)
    {
        tapePhase[0] += wowInc;
        if (tapePhase[0] >= twoPiDouble) tapePhase[0] -= twoPiDouble;
        tapePhase[1] += flutterInc;
        if (tapePhase[1] >= twoPiDouble) tapePhase[1] -= twoPiDouble;

        const double nextWow = wowSin * wowStepCos + wowCos * wowStepSin;
        wowCos = wowCos * wowStepCos - wowSin * wowStepSin;
        wowSin = nextWow;
        const double nextFlutter = flutterSin * flutterStepCos + flutterCos * flutterStepSin;
        flutterCos = flutterCos * flutterStepCos - flutterSin * flutterStepSin;
        flutterSin = nextFlutter;

        if (channels > 0)
        {
            const double delay = juce::jlimit (1.0, (double) length - 2.0,
                                               7.0 + (wowSin * wowDepth + flutterSin * flutterDepth) * sampleRate * 0.001);
            double readPos = (double) tapeWritePos - delay;
            while (readPos < 0.0)
                readPos += length;
            // readPos now lies in [0, length] (length itself only by rounding): no division
            // needed to wrap the two taps.
            const double whole = std::floor (readPos);
            const int i0 = (int) whole >= length ? (int) whole - length : (int) whole;
            const int i1 = i0 + 1 == length ? 0 : i0 + 1;
            const float frac = (float) (readPos - whole);

            for (int ch = 0; ch < channels; ++ch)
            {
                float* line = tapeBuffer.getWritePointer (ch);
                line[tapeWritePos] = out[ch][i];
                out[ch][i] = (line[i0] + (line[i1] - line[i0]) * frac) * drive;   // saturated below
            }
        }

        tapeWritePos = tapeWritePos + 1 == length ? 0 : tapeWritePos + 1;
    }

    // The saturation has no memory, so it runs over the whole block at once, eight samples at a time.
    using lanes::F8;
    for (int ch = 0; ch < channels; ++ch)
    {
        float* x = out[ch];
        int i = 0;
        for (; i + 8 <= n; i += 8)
            lanes::store (x + i, clampLanes (lanes::tanhLanes (lanes::load<F8> (x + i)) / normaliser));
        if (i < n)
        {
            alignas (32) float rest[8] {};
            std::copy (x + i, x + n, rest);
            const F8 y = clampLanes (lanes::tanhLanes (lanes::load<F8> (rest)) / normaliser);
            for (int j = 0; i + j < n; ++j)
                x[i + j] = y[j];
        }
    }
}

} // namespace velmora
