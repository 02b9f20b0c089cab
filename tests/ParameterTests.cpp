#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace
{
struct Row
{
    const char* id;
    const char* name;
    char kind;          // f float, c choice, i int, b bool
    float lo, hi, def;
    float interval, skew;
};

// The published parameter interface: order, IDs, names, kinds, ranges, steps, skews, defaults.
const Row publishedTable[] = {
    { "masterVolume", "Master Volume", 'f', -24, 6, -6, 0.01f, 1 },
    { "masterTune", "Fine Tune", 'f', -100, 100, 0, 0.01f, 1 },
    { "a4Hz", "Concert A", 'f', 430, 450, 440, 0.01f, 1 },
    { "spectralTilt", "Spectral Tilt", 'f', 0, 1, 0.56f, 0.01f, 1 },
    { "shimmer", "Shimmer", 'f', 0, 1, 0.5f, 0.01f, 1 },
    { "movement", "Movement", 'f', 0, 1, 0.42f, 0.01f, 1 },
    { "spread", "Spread", 'f', 0, 1, 0.68f, 0.01f, 1 },
    { "monoMode", "Mono Mode", 'b', 0, 1, 0, 1, 1 },
    { "glideTimeMs", "Glide Time", 'f', 0, 800, 90, 0.01f, 1 },
    { "glideCurve", "Glide Curve", 'c', 0, 2, 2, 1, 1 },
    { "unisonVoices", "Unison Voices", 'i', 1, 5, 2, 1, 1 },
    { "unisonDetune", "Unison Detune", 'f', 0, 35, 8, 0.01f, 1 },
    { "driftAmount", "Drift Amount", 'f', 0, 1, 0.18f, 0.01f, 1 },
    { "vintageAmount", "Vintage", 'f', 0, 1, 0.22f, 0.01f, 1 },
    { "characterAmount", "Character", 'f', 0, 1, 0.12f, 0.01f, 1 },
    { "noiseMix", "Air", 'f', 0, 0.5f, 0.12f, 0.01f, 1 },
    { "padCoreMix", "Pad Core Mix", 'f', 0, 1, 1, 0.01f, 1 },
    { "oscAShape", "Osc A Shape", 'c', 0, 5, 2, 1, 1 },
    { "oscALevel", "Osc A Level", 'f', 0, 1, 0, 0.01f, 1 },
    { "oscBShape", "Osc B Shape", 'c', 0, 5, 1, 1, 1 },
    { "oscBLevel", "Osc B Level", 'f', 0, 1, 0, 0.01f, 1 },
    { "subShape", "Sub Shape", 'c', 0, 5, 3, 1, 1 },
    { "subLevel", "Sub Level", 'f', 0, 1, 0.16f, 0.01f, 1 },
    { "subOctave", "Sub Octave", 'c', 0, 1, 0, 1, 1 },
    { "fatAmount", "Fat", 'f', 0, 1, 0.1f, 0.01f, 1 },
    { "attack", "Attack", 'f', 0.01f, 8, 1.5f, 0.01f, 1 },
    { "release", "Release", 'f', 0.05f, 16, 6.5f, 0.01f, 1 },
    { "cutoff", "Cutoff", 'f', 20, 18000, 4200, 0.01f, 0.35f },
    { "resonance", "Resonance", 'f', 0.1f, 1, 0.22f, 0.01f, 1 },
    { "filterMorph", "Filter Morph", 'f', 0, 1, 0, 0.01f, 1 },
    { "filterDrive", "Filter Drive", 'f', 0, 1, 0.18f, 0.01f, 1 },
    { "filterEnvAmount", "Filter Env Amount", 'f', 0, 1, 0.32f, 0.01f, 1 },
    { "velocityFilterAmount", "Velocity Filter Env", 'f', 0, 1, 0.4f, 0.01f, 1 },
    { "filterKeytrack", "Filter Keytracking", 'f', 0, 1, 0.28f, 0.01f, 1 },
    { "fmAmount", "FM Amount", 'f', 0, 1, 0, 0.01f, 1 },
    { "fmRatio", "FM Ratio", 'f', 0.25f, 8, 2, 0.001f, 0.45f },
    { "ringModAmount", "Ring Mod", 'f', 0, 1, 0, 0.01f, 1 },
    { "pwmAmount", "PWM", 'f', 0, 1, 0.5f, 0.01f, 1 },
    { "oscSync", "Osc Sync", 'b', 0, 1, 0, 1, 1 },
    { "arpEnabled", "Arp Enabled", 'b', 0, 1, 0, 1, 1 },
    { "arpRate", "Arp Rate", 'c', 0, 4, 2, 1, 1 },
    { "arpPattern", "Arp Pattern", 'c', 0, 4, 0, 1, 1 },
    { "arpOctaves", "Arp Octaves", 'i', 1, 3, 2, 1, 1 },
    { "arpGate", "Arp Gate", 'f', 0.1f, 0.95f, 0.68f, 0.01f, 1 },
    { "arpSwing", "Arp Swing", 'f', 0, 0.49f, 0, 0.01f, 1 },
    { "humanizeAmount", "Humanize", 'f', 0, 1, 0, 0.01f, 1 },
    { "mirrorEnabled", "Mirror Enabled", 'b', 0, 1, 0, 1, 1 },
    { "mirrorMode", "Mirror Mode", 'c', 0, 3, 0, 1, 1 },
    { "mirrorAxis", "Mirror Axis", 'c', 0, 12, 0, 1, 1 },
    { "mirrorDepth", "Mirror Depth", 'f', 0, 1, 0.72f, 0.01f, 1 },
    { "mirrorRange", "Mirror Range", 'i', -2, 2, 0, 1, 1 },
    { "mirrorDelayMs", "Mirror Delay", 'f', 0, 250, 26, 0.01f, 1 },
    { "delayTimeMs", "Delay Time", 'f', 50, 1200, 420, 0.01f, 1 },
    { "delayFeedback", "Delay Feedback", 'f', 0, 0.95f, 0.35f, 0.01f, 1 },
    { "delayTone", "Delay Tone", 'f', 0, 1, 0.62f, 0.01f, 1 },
    { "delayMix", "Delay Mix", 'f', 0, 1, 0, 0.01f, 1 },
    { "reverbSize", "Reverb Size", 'f', 0, 1, 0.48f, 0.01f, 1 },
    { "reverbDecay", "Reverb Decay", 'f', 0, 1, 0.52f, 0.01f, 1 },
    { "reverbMix", "Reverb Mix", 'f', 0, 1, 0, 0.01f, 1 },
    { "reverbPreDelayMs", "Reverb Pre-Delay", 'f', 0, 180, 28, 0.01f, 1 },
    { "tapeWow", "Tape Wow", 'f', 0, 1, 0.08f, 0.01f, 1 },
    { "tapeFlutter", "Tape Flutter", 'f', 0, 1, 0.1f, 0.01f, 1 },
    { "outputSaturation", "Output Saturation", 'f', 0, 1, 0.16f, 0.01f, 1 },
    { "bitDepth", "Bit Depth", 'f', 4, 16, 16, 0.01f, 1 },
    { "sampleRateReduce", "Sample Rate Reduce", 'f', 1, 24, 1, 0.01f, 1 },
};

const float lfoRates[8] = { 0.07f, 0.11f, 0.18f, 0.28f, 0.43f, 0.65f, 0.95f, 1.35f };

char kindOf (juce::AudioProcessorParameter* p)
{
    if (dynamic_cast<juce::AudioParameterFloat*> (p)) return 'f';
    if (dynamic_cast<juce::AudioParameterChoice*> (p)) return 'c';
    if (dynamic_cast<juce::AudioParameterInt*> (p)) return 'i';
    if (dynamic_cast<juce::AudioParameterBool*> (p)) return 'b';
    return '?';
}
}

TEST (Parameters, MatchThePublishedTableInHostOrder)
{
    VelmoraSynthAudioProcessor proc;
    const auto& params = proc.getParameters();
    ASSERT_EQ (params.size(), 81);

    std::vector<Row> expected (std::begin (publishedTable), std::end (publishedTable));
    for (int n = 1; n <= 8; ++n)
    {
        expected.push_back ({ paramIDs::lfoRate[n - 1], nullptr, 'f', 0.02f, 12, lfoRates[n - 1], 0.001f, 0.45f });
        expected.push_back ({ paramIDs::lfoDepth[n - 1], nullptr, 'f', 0, 1, 0, 0.01f, 1 });
    }
    ASSERT_EQ (expected.size(), 81u);

    for (int i = 0; i < 81; ++i)
    {
        const auto& row = expected[(size_t) i];
        auto* p = dynamic_cast<juce::RangedAudioParameter*> (params[i]);
        ASSERT_NE (p, nullptr);
        SCOPED_TRACE (row.id);

        EXPECT_EQ (p->getParameterID(), row.id);
        EXPECT_EQ (p->getVersionHint(), 0);
        const auto expectedName = row.name != nullptr ? juce::String (row.name)
                                : "LFO " + juce::String ((i - 65) / 2 + 1) + ((i - 65) % 2 == 0 ? " Rate" : " Depth");
        EXPECT_EQ (p->getName (100), expectedName);
        EXPECT_EQ (kindOf (p), row.kind);
        EXPECT_TRUE (p->getLabel().isEmpty());
        EXPECT_TRUE (p->isAutomatable());

        const auto& r = p->getNormalisableRange();
        EXPECT_FLOAT_EQ (r.start, row.lo);
        EXPECT_FLOAT_EQ (r.end, row.hi);
        EXPECT_FLOAT_EQ (r.interval, row.interval);
        EXPECT_FLOAT_EQ (r.skew, row.skew);
        EXPECT_FALSE (r.symmetricSkew);
        EXPECT_NEAR (p->convertFrom0to1 (p->getDefaultValue()), row.def, 1e-4f);
    }
}

TEST (Parameters, SkewedCutoffMidpointAndChoiceTexts)
{
    VelmoraSynthAudioProcessor proc;
    auto& state = proc.getParameterState();

    EXPECT_NEAR (state.getParameter ("cutoff")->convertFrom0to1 (0.5f), 2501.44f, 0.01f);

    auto texts = [&] (const char* id) { return dynamic_cast<juce::AudioParameterChoice*> (state.getParameter (id))->choices; };
    EXPECT_EQ (texts ("subOctave"), juce::StringArray ({ "-1", "-2" }));
    EXPECT_EQ (texts ("mirrorAxis")[0], "Played Root");
    EXPECT_EQ (texts ("mirrorAxis").size(), 13);
    EXPECT_EQ (texts ("arpRate"), juce::StringArray ({ "1/8", "1/8T", "1/16", "1/16T", "1/32" }));
    EXPECT_EQ (texts ("oscBShape"), juce::StringArray ({ "Sine", "Triangle", "Saw", "Square", "Pulse", "Noise" }));

    // Bit depth is continuous: a host may set 7.37 bits.
    auto* bits = state.getParameter ("bitDepth");
    bits->setValueNotifyingHost (bits->convertTo0to1 (7.37f));
    EXPECT_NEAR (*state.getRawParameterValue ("bitDepth"), 7.37f, 1e-4f);
}

TEST (Parameters, LookupByIdIsExactAndCaseSensitive)
{
    EXPECT_EQ (findParameterIndex ("masterVolume"), 0);
    EXPECT_EQ (findParameterIndex ("lfo8Depth"), 80);
    EXPECT_EQ (findParameterIndex ("Cutoff"), -1);
    EXPECT_EQ (findParameterIndex (""), -1);
    EXPECT_EQ (findParameterIndex ((const char*) nullptr), -1);
}
