#include "Parameters.h"

#include <cstring>

namespace velmora
{

namespace paramIDs
{
    const char* const lfoRate[8]  = { "lfo1Rate", "lfo2Rate", "lfo3Rate", "lfo4Rate",
                                      "lfo5Rate", "lfo6Rate", "lfo7Rate", "lfo8Rate" };
    const char* const lfoDepth[8] = { "lfo1Depth", "lfo2Depth", "lfo3Depth", "lfo4Depth",
                                      "lfo5Depth", "lfo6Depth", "lfo7Depth", "lfo8Depth" };
}

namespace
{
    using Range = juce::NormalisableRange<float>;

    const Range logFrequencyRange { 20.0f, 18000.0f, 0.01f, 0.35f };
    const Range fmRatioRange      { 0.25f, 8.0f, 0.001f, 0.45f };
    const Range lfoRateRange      { 0.02f, 12.0f, 0.001f, 0.45f };

    constexpr float lfoDefaultRates[8] = { 0.07f, 0.11f, 0.18f, 0.28f, 0.43f, 0.65f, 0.95f, 1.35f };

    ParameterSpec floatParam (const char* id, const char* name, float lo, float hi, float def)
    {
        return { id, name, ParamKind::floating, Range (lo, hi, 0.01f), def, {} };
    }

    ParameterSpec floatParam (const char* id, const char* name, Range range, float def)
    {
        return { id, name, ParamKind::floating, range, def, {} };
    }

    ParameterSpec choiceParam (const char* id, const char* name, juce::StringArray choices, int def)
    {
        return { id, name, ParamKind::choice, Range (0.0f, (float) (choices.size() - 1), 1.0f), (float) def, choices };
    }

    ParameterSpec intParam (const char* id, const char* name, int lo, int hi, int def)
    {
        return { id, name, ParamKind::integer, Range ((float) lo, (float) hi, 1.0f), (float) def, {} };
    }

    ParameterSpec boolParam (const char* id, const char* name, bool def)
    {
        return { id, name, ParamKind::boolean, Range (0.0f, 1.0f, 1.0f), def ? 1.0f : 0.0f, {} };
    }

    std::array<ParameterSpec, param::count> makeSpecs()
    {
        const juce::StringArray shapes { "Sine", "Triangle", "Saw", "Square", "Pulse", "Noise" };

        std::vector<ParameterSpec> p;
        p.reserve (param::count);
        p.push_back (floatParam ("masterVolume", "Master Volume", -24.0f, 6.0f, -6.0f));
        p.push_back (floatParam ("masterTune", "Fine Tune", -100.0f, 100.0f, 0.0f));
        p.push_back (floatParam ("a4Hz", "Concert A", 430.0f, 450.0f, 440.0f));
        p.push_back (floatParam ("spectralTilt", "Spectral Tilt", 0.0f, 1.0f, 0.56f));
        p.push_back (floatParam ("shimmer", "Shimmer", 0.0f, 1.0f, 0.5f));
        p.push_back (floatParam ("movement", "Movement", 0.0f, 1.0f, 0.42f));
        p.push_back (floatParam ("spread", "Spread", 0.0f, 1.0f, 0.68f));
        p.push_back (boolParam ("monoMode", "Mono Mode", false));
        p.push_back (floatParam ("glideTimeMs", "Glide Time", 0.0f, 800.0f, 90.0f));
        p.push_back (choiceParam ("glideCurve", "Glide Curve", { "Linear", "Exponential", "S-Curve" }, 2));
        p.push_back (intParam ("unisonVoices", "Unison Voices", 1, 5, 2));
        p.push_back (floatParam ("unisonDetune", "Unison Detune", 0.0f, 35.0f, 8.0f));
        p.push_back (floatParam ("driftAmount", "Drift Amount", 0.0f, 1.0f, 0.18f));
        p.push_back (floatParam ("vintageAmount", "Vintage", 0.0f, 1.0f, 0.22f));
        p.push_back (floatParam ("characterAmount", "Character", 0.0f, 1.0f, 0.12f));
        p.push_back (floatParam ("noiseMix", "Air", 0.0f, 0.5f, 0.12f));
        p.push_back (floatParam ("padCoreMix", "Pad Core Mix", 0.0f, 1.0f, 1.0f));
        p.push_back (choiceParam ("oscAShape", "Osc A Shape", shapes, 2));
        p.push_back (floatParam ("oscALevel", "Osc A Level", 0.0f, 1.0f, 0.0f));
        p.push_back (choiceParam ("oscBShape", "Osc B Shape", shapes, 1));
        p.push_back (floatParam ("oscBLevel", "Osc B Level", 0.0f, 1.0f, 0.0f));
        p.push_back (choiceParam ("subShape", "Sub Shape", shapes, 3));
        p.push_back (floatParam ("subLevel", "Sub Level", 0.0f, 1.0f, 0.16f));
        p.push_back (choiceParam ("subOctave", "Sub Octave", { "-1", "-2" }, 0));
        p.push_back (floatParam ("fatAmount", "Fat", 0.0f, 1.0f, 0.1f));
        p.push_back (floatParam ("attack", "Attack", 0.01f, 8.0f, 1.5f));
        p.push_back (floatParam ("release", "Release", 0.05f, 16.0f, 6.5f));
        p.push_back (floatParam ("cutoff", "Cutoff", logFrequencyRange, 4200.0f));
        p.push_back (floatParam ("resonance", "Resonance", 0.1f, 1.0f, 0.22f));
        p.push_back (floatParam ("filterMorph", "Filter Morph", 0.0f, 1.0f, 0.0f));
        p.push_back (floatParam ("filterDrive", "Filter Drive", 0.0f, 1.0f, 0.18f));
        p.push_back (floatParam ("filterEnvAmount", "Filter Env Amount", 0.0f, 1.0f, 0.32f));
        p.push_back (floatParam ("velocityFilterAmount", "Velocity Filter Env", 0.0f, 1.0f, 0.4f));
        p.push_back (floatParam ("filterKeytrack", "Filter Keytracking", 0.0f, 1.0f, 0.28f));
        p.push_back (floatParam ("fmAmount", "FM Amount", 0.0f, 1.0f, 0.0f));
        p.push_back (floatParam ("fmRatio", "FM Ratio", fmRatioRange, 2.0f));
        p.push_back (floatParam ("ringModAmount", "Ring Mod", 0.0f, 1.0f, 0.0f));
        p.push_back (floatParam ("pwmAmount", "PWM", 0.0f, 1.0f, 0.5f));
        p.push_back (boolParam ("oscSync", "Osc Sync", false));
        p.push_back (boolParam ("arpEnabled", "Arp Enabled", false));
        p.push_back (choiceParam ("arpRate", "Arp Rate", { "1/8", "1/8T", "1/16", "1/16T", "1/32" }, 2));
        p.push_back (choiceParam ("arpPattern", "Arp Pattern", { "Up", "Down", "Up/Down", "Random", "Chord" }, 0));
        p.push_back (intParam ("arpOctaves", "Arp Octaves", 1, 3, 2));
        p.push_back (floatParam ("arpGate", "Arp Gate", 0.1f, 0.95f, 0.68f));
        p.push_back (floatParam ("arpSwing", "Arp Swing", 0.0f, 0.49f, 0.0f));
        p.push_back (floatParam ("humanizeAmount", "Humanize", 0.0f, 1.0f, 0.0f));
        p.push_back (boolParam ("mirrorEnabled", "Mirror Enabled", false));
        p.push_back (choiceParam ("mirrorMode", "Mirror Mode", { "Power 5th", "Root Mirror", "Axis Mirror", "Octave Flip" }, 0));
        p.push_back (choiceParam ("mirrorAxis", "Mirror Axis",
                                  { "Played Root", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B" }, 0));
        p.push_back (floatParam ("mirrorDepth", "Mirror Depth", 0.0f, 1.0f, 0.72f));
        p.push_back (intParam ("mirrorRange", "Mirror Range", -2, 2, 0));
        p.push_back (floatParam ("mirrorDelayMs", "Mirror Delay", 0.0f, 250.0f, 26.0f));
        p.push_back (floatParam ("delayTimeMs", "Delay Time", 50.0f, 1200.0f, 420.0f));
        p.push_back (floatParam ("delayFeedback", "Delay Feedback", 0.0f, 0.95f, 0.35f));
        p.push_back (floatParam ("delayTone", "Delay Tone", 0.0f, 1.0f, 0.62f));
        p.push_back (floatParam ("delayMix", "Delay Mix", 0.0f, 1.0f, 0.0f));
        p.push_back (floatParam ("reverbSize", "Reverb Size", 0.0f, 1.0f, 0.48f));
        p.push_back (floatParam ("reverbDecay", "Reverb Decay", 0.0f, 1.0f, 0.52f));
        p.push_back (floatParam ("reverbMix", "Reverb Mix", 0.0f, 1.0f, 0.0f));
        p.push_back (floatParam ("reverbPreDelayMs", "Reverb Pre-Delay", 0.0f, 180.0f, 28.0f));
        p.push_back (floatParam ("tapeWow", "Tape Wow", 0.0f, 1.0f, 0.08f));
        p.push_back (floatParam ("tapeFlutter", "Tape Flutter", 0.0f, 1.0f, 0.1f));
        p.push_back (floatParam ("outputSaturation", "Output Saturation", 0.0f, 1.0f, 0.16f));
        p.push_back (floatParam ("bitDepth", "Bit Depth", 4.0f, 16.0f, 16.0f));
        p.push_back (floatParam ("sampleRateReduce", "Sample Rate Reduce", 1.0f, 24.0f, 1.0f));

        for (int n = 1; n <= 8; ++n)
        {
            p.push_back ({ paramIDs::lfoRate[n - 1], "LFO " + juce::String (n) + " Rate",
                           ParamKind::floating, lfoRateRange, lfoDefaultRates[n - 1], {} });
            p.push_back ({ paramIDs::lfoDepth[n - 1], "LFO " + juce::String (n) + " Depth",
                           ParamKind::floating, Range (0.0f, 1.0f, 0.01f), 0.0f, {} });
        }

        jassert (p.size() == (size_t) param::count);
        std::array<ParameterSpec, param::count> specs;
        std::move (p.begin(), p.end(), specs.begin());
        return specs;
    }

    constexpr int modulatedReads[] = {
        param::a4Hz, param::masterTune, param::spectralTilt, param::shimmer, param::movement,
        param::spread, param::glideTimeMs, param::unisonVoices, param::unisonDetune,
        param::driftAmount, param::vintageAmount, param::characterAmount, param::noiseMix,
        param::padCoreMix, param::oscALevel, param::oscBLevel, param::subLevel, param::fatAmount,
        param::attack, param::release, param::cutoff, param::resonance, param::filterMorph,
        param::filterDrive, param::filterEnvAmount, param::velocityFilterAmount,
        param::filterKeytrack, param::fmAmount, param::fmRatio, param::ringModAmount,
        param::pwmAmount, param::delayTimeMs, param::delayTone, param::reverbSize,
        param::reverbDecay, param::reverbPreDelayMs, param::tapeWow, param::tapeFlutter,
        param::outputSaturation, param::arpEnabled, param::arpRate, param::arpPattern,
        param::arpOctaves, param::arpGate, param::arpSwing, param::mirrorRange,
        param::mirrorDepth, param::mirrorDelayMs, param::humanizeAmount, param::masterVolume
    };
}

const std::array<ParameterSpec, param::count>& parameterSpecs()
{
    static const auto specs = makeSpecs();
    return specs;
}

int findParameterIndex (const char* id) noexcept
{
    if (id == nullptr)
        return -1;

    const auto& specs = parameterSpecs();
    for (int i = 0; i < param::count; ++i)
        if (std::strcmp (specs[(size_t) i].id, id) == 0)
            return i;

    return -1;
}

int findParameterIndex (const juce::String& id) noexcept
{
    return findParameterIndex (id.toRawUTF8());
}

bool isModulatedRead (int index) noexcept
{
    for (auto i : modulatedReads)
        if (i == index)
            return true;
    return false;
}

juce::AudioProcessorValueTreeState::ParameterLayout buildParameterLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    for (const auto& s : parameterSpecs())
    {
        const juce::ParameterID id { s.id, 0 };
        switch (s.kind)
        {
            case ParamKind::floating:
                layout.add (std::make_unique<juce::AudioParameterFloat> (id, s.name, s.range, s.defaultValue));
                break;
            case ParamKind::choice:
                layout.add (std::make_unique<juce::AudioParameterChoice> (id, s.name, s.choices, (int) s.defaultValue));
                break;
            case ParamKind::integer:
                layout.add (std::make_unique<juce::AudioParameterInt> (id, s.name, (int) s.range.start,
                                                                       (int) s.range.end, (int) s.defaultValue));
                break;
            case ParamKind::boolean:
                layout.add (std::make_unique<juce::AudioParameterBool> (id, s.name, s.defaultValue > 0.5f));
                break;
        }
    }

    return layout;
}

} // namespace velmora
