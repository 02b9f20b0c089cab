// The processor's modulation routing: the default routes, the list of targets the editor offers,
// the state-tree property names and the setters that keep tables and tree in step.

#include "PluginProcessor.h"
#include "RoutingDefaults.h"

using namespace velmora;

namespace velmora
{
const MotionRouteDefault motionRouteDefaults[ModulationRouting::numMotionRoutes] = {
    { "L Palm X", "cutoff", 0.82f },     { "L Lift", "shimmer", 0.54f },
    { "L Pinch", "filterDrive", 0.36f }, { "L Hand Open", "tapeWow", 0.28f },
    { "L Gate", "", 1.0f },              { "R Palm X", "spread", 0.38f },
    { "R Lift", "shimmer", 0.28f },      { "R Pinch", "tapeFlutter", 0.24f },
    { "R Hand Open", "movement", 0.30f }, { "R Gate", "", 1.0f },
};

const LfoDefault lfoDefaults[ModulationRouting::numLfos] = {
    { "LFO 1", "cutoff" },      { "LFO 2", "shimmer" }, { "LFO 3", "movement" },    { "LFO 4", "tapeWow" },
    { "LFO 5", "tapeFlutter" }, { "LFO 6", "fmAmount" }, { "LFO 7", "filterMorph" }, { "LFO 8", "spread" },
};
}

const std::vector<VelmoraSynthAudioProcessor::MotionTargetChoice>& VelmoraSynthAudioProcessor::getMotionTargetChoicesInternal()
{
    static const std::vector<MotionTargetChoice> choices {
        { "", "None" },
        { "masterVolume", "Amp | Master Volume" }, { "masterTune", "Amp | Fine Tune" },
        { "a4Hz", "Amp | Concert A" }, { "spread", "Amp | Stereo Width" },
        { "glideTimeMs", "Amp | Glide Time" }, { "unisonVoices", "Amp | Unison Voices" },
        { "unisonDetune", "Amp | Unison Detune" }, { "driftAmount", "Amp | Drift" },
        { "vintageAmount", "Amp | Vintage" }, { "characterAmount", "Amp | Character" },
        { "padCoreMix", "Osc | Pad Core Mix" }, { "oscALevel", "Osc | Osc A Level" },
        { "oscBLevel", "Osc | Osc B Level" }, { "subLevel", "Osc | Sub Level" },
        { "fatAmount", "Osc | Fat" }, { "attack", "Envelope | Attack" },
        { "release", "Envelope | Release" }, { "spectralTilt", "Tone | Bloom" },
        { "shimmer", "Tone | Shimmer" }, { "movement", "Tone | Motion" },
        { "noiseMix", "Tone | Air" }, { "cutoff", "Tone | Cutoff" },
        { "resonance", "Tone | Resonance" }, { "filterMorph", "Filter | Morph" },
        { "filterDrive", "Filter | Drive" }, { "filterEnvAmount", "Filter | Env Amount" },
        { "velocityFilterAmount", "Filter | Velocity Env" }, { "filterKeytrack", "Filter | Key Track" },
        { "fmAmount", "Tone | FM Amount" }, { "fmRatio", "Tone | FM Ratio" },
        { "ringModAmount", "Osc | Ring Mod" }, { "pwmAmount", "Osc | PWM" },
        { "tapeWow", "Lite FX | Tape Wow" }, { "tapeFlutter", "Lite FX | Tape Flutter" },
        { "outputSaturation", "Lite FX | Saturation" }, { "arpEnabled", "Arp | Enable" },
        { "arpRate", "Arp | Rate" }, { "arpPattern", "Arp | Pattern" },
        { "arpOctaves", "Arp | Octaves" }, { "arpGate", "Arp | Gate" },
        { "arpSwing", "Arp | Swing" }, { "humanizeAmount", "Arp | Humanize" },
        { "mirrorEnabled", "Mirror | Enable" }, { "mirrorDepth", "Mirror | Depth" },
        { "mirrorRange", "Mirror | Range" }, { "mirrorDelayMs", "Mirror | Delay" },
    };
    return choices;
}

juce::String VelmoraSynthAudioProcessor::motionTargetPropertyNameForIndex (int index)
{
    return "motionRoute" + juce::String (index) + "Target";
}

juce::String VelmoraSynthAudioProcessor::motionDepthPropertyNameForIndex (int index)
{
    return "motionRoute" + juce::String (index) + "Depth";
}

juce::String VelmoraSynthAudioProcessor::lfoTargetPropertyNameForIndex (int index)
{
    return "lfoRoute" + juce::String (index) + "Target";
}

void VelmoraSynthAudioProcessor::setMotionRouteTarget (int index, const juce::String& parameterId)
{
    if (routing.setMotionRouteTarget (index, parameterId))
        parameterState.state.setProperty (motionTargetPropertyNameForIndex (index), routing.getMotionRouteTarget (index), nullptr);
}

void VelmoraSynthAudioProcessor::setMotionRouteDepth (int index, float depth)
{
    if (routing.setMotionRouteDepth (index, depth))
        parameterState.state.setProperty (motionDepthPropertyNameForIndex (index), (double) routing.getMotionRouteDepth (index), nullptr);
}

void VelmoraSynthAudioProcessor::setLfoTarget (int index, const juce::String& parameterId)
{
    if (routing.setLfoTarget (index, parameterId))
        parameterState.state.setProperty (lfoTargetPropertyNameForIndex (index), routing.getLfoTarget (index), nullptr);
}

juce::String VelmoraSynthAudioProcessor::getMotionRouteTarget (int index) const
{
    return juce::isPositiveAndBelow (index, ModulationRouting::numMotionRoutes) ? routing.getMotionRouteTarget (index) : juce::String();
}

float VelmoraSynthAudioProcessor::getMotionRouteDepth (int index) const
{
    return juce::isPositiveAndBelow (index, ModulationRouting::numMotionRoutes) ? routing.getMotionRouteDepth (index) : 0.0f;
}

juce::String VelmoraSynthAudioProcessor::getLfoTarget (int index) const
{
    return juce::isPositiveAndBelow (index, ModulationRouting::numLfos) ? routing.getLfoTarget (index) : juce::String();
}
