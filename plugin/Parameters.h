#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>

namespace velmora
{

namespace paramIDs
{
    extern const char* const lfoRate[8];
    extern const char* const lfoDepth[8];
}

/** Host parameter indices. The order is published to hosts and must never change. */
namespace param
{
    enum Index : int
    {
        masterVolume, masterTune, a4Hz, spectralTilt, shimmer, movement, spread, monoMode,
        glideTimeMs, glideCurve, unisonVoices, unisonDetune, driftAmount, vintageAmount,
        characterAmount, noiseMix, padCoreMix, oscAShape, oscALevel, oscBShape, oscBLevel,
        subShape, subLevel, subOctave, fatAmount, attack, release, cutoff, resonance,
        filterMorph, filterDrive, filterEnvAmount, velocityFilterAmount, filterKeytrack,
        fmAmount, fmRatio, ringModAmount, pwmAmount, oscSync, arpEnabled, arpRate, arpPattern,
        arpOctaves, arpGate, arpSwing, humanizeAmount, mirrorEnabled, mirrorMode, mirrorAxis,
        mirrorDepth, mirrorRange, mirrorDelayMs, delayTimeMs, delayFeedback, delayTone, delayMix,
        reverbSize, reverbDecay, reverbMix, reverbPreDelayMs, tapeWow, tapeFlutter,
        outputSaturation, bitDepth, sampleRateReduce,
        lfo1Rate, lfo1Depth, lfo2Rate, lfo2Depth, lfo3Rate, lfo3Depth, lfo4Rate, lfo4Depth,
        lfo5Rate, lfo5Depth, lfo6Rate, lfo6Depth, lfo7Rate, lfo7Depth, lfo8Rate, lfo8Depth,
        count
    };

    constexpr int lfoRateIndex (int lfo) noexcept  { return lfo1Rate + 2 * lfo; }  // lfo = 0 … 7
    constexpr int lfoDepthIndex (int lfo) noexcept { return lfo1Depth + 2 * lfo; }
}

static_assert (param::count == 81, "the host sees exactly 81 parameters");

enum class ParamKind { floating, choice, integer, boolean };

/** One row of the published parameter table. */
struct ParameterSpec
{
    const char* id;
    juce::String name;
    ParamKind kind;
    juce::NormalisableRange<float> range;   // for choice/int/bool: 0 … n−1 / min … max / 0 … 1, step 1
    float defaultValue;
    juce::StringArray choices;
};

/** The 81 rows, in host order. Built once, immutable afterwards. */
const std::array<ParameterSpec, param::count>& parameterSpecs();

/** Index of the parameter with exactly this ID, or −1. Allocation-free. */
int findParameterIndex (const char* id) noexcept;
int findParameterIndex (const juce::String& id) noexcept;

juce::AudioProcessorValueTreeState::ParameterLayout buildParameterLayout();

/** True for the parameters the block driver reads after modulation; the rest are read raw. */
bool isModulatedRead (int index) noexcept;

} // namespace velmora
