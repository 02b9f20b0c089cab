#include "PluginProcessor.h"
#include "RenderConfigs.h"

using namespace velmora;

namespace
{
    constexpr int numPolyVoices = 10;
    constexpr int midiBufferReserveBytes = 16384;   // several hundred events before a block could allocate
}

juce::AudioProcessorValueTreeState::ParameterLayout VelmoraSynthAudioProcessor::createParameterLayout()
{
    return buildParameterLayout();
}

VelmoraSynthAudioProcessor::VelmoraSynthAudioProcessor()
    : AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameterState (*this, nullptr, "PARAMETERS", createParameterLayout()),
      routing ([] (const juce::String& id) { return findParameterIndex (id); })
{
    motionSources.motionReceiver.openSocket();   // a second instance fails here and retries per block

    const auto& specs = parameterSpecs();
    for (size_t i = 0; i < specs.size(); ++i)
    {
        rawValues[i] = parameterState.getRawParameterValue (specs[i].id);
        modulatedRead[i] = isModulatedRead ((int) i);
        parameters[i] = parameterState.getParameter (specs[i].id);
        jassert (rawValues[i] != nullptr && parameters[i] != nullptr);
    }

    for (int i = 0; i < numPolyVoices; ++i)
        polySynth.addVoice (new PadSynthVoice());
    monoSynth.addVoice (new PadSynthVoice());

    polySynth.addSound (new PadSynthSound());
    monoSynth.addSound (new PadSynthSound());
    polySynth.setNoteStealingEnabled (true);
    monoSynth.setNoteStealingEnabled (true);

    for (int i = 0; i < numPolyVoices; ++i)
        voices[(size_t) i] = static_cast<PadSynthVoice*> (polySynth.getVoice (i));
    voices[(size_t) numPolyVoices] = static_cast<PadSynthVoice*> (monoSynth.getVoice (0));

    workingMidi.ensureSize (midiBufferReserveBytes);
    scratchMidi.ensureSize (midiBufferReserveBytes);
    resetMirrorState();

    // The sound a new instance starts with: the user store read, the state tree completed and
    // read back, then program 0. A host restore that follows replaces all of it.
    currentProgram = 0;
    selectedUserPresetIndex = -1;
    loadUserPresetsFromDisk();
    ensureExtendedStateProperties (parameterState.state);
    restoreExtendedStateProperties();
    setCurrentProgram (currentProgram);
}

VelmoraSynthAudioProcessor::~VelmoraSynthAudioProcessor() = default;

//==============================================================================
void VelmoraSynthAudioProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    polySynth.setCurrentPlaybackSampleRate (sampleRate);
    monoSynth.setCurrentPlaybackSampleRate (sampleRate);

    for (auto* v : voices)
        v->prepare (sampleRate, samplesPerBlock);

    effectsChain.prepare (sampleRate, juce::jmax (1, getTotalNumOutputChannels()), juce::jmax (1, samplesPerBlock));
    workingMidi.ensureSize (midiBufferReserveBytes);
    scratchMidi.ensureSize (midiBufferReserveBytes);

    arpeggiator.reset();
    resetMirrorState();
    mirror.reserveQueue();
}

void VelmoraSynthAudioProcessor::resetMirrorState()
{
    mirror.reset();
}

void VelmoraSynthAudioProcessor::addMirrorEventWithDelay (juce::MidiBuffer& output, const juce::MidiMessage& message,
                                                          int samplePosition, int delaySamples, int numSamples)
{
    mirror.addMirrorEventWithDelay (output, message, samplePosition, delaySamples, numSamples);
}

void VelmoraSynthAudioProcessor::releaseResources()
{
    effectsChain.reset();
}

bool VelmoraSynthAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto out = layouts.getMainOutputChannelSet();
    return out == juce::AudioChannelSet::mono() || out == juce::AudioChannelSet::stereo();
}

juce::AudioProcessorEditor* VelmoraSynthAudioProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor (*this);
}

//==============================================================================
float VelmoraSynthAudioProcessor::effectiveValue (int index, const MotionState& motion,
                                                  const ModulationRouting::Snapshot& routes) const noexcept
{
    auto* p = parameters[(size_t) index];
    float v = p->getValue();

    for (int i = 0; i < ModulationRouting::numMotionRoutes; ++i)
        if (routes.motionTarget[(size_t) i] == index)
            v += (motion.source (i) - 0.5f) * routes.motionDepth[(size_t) i];

    for (int k = 0; k < ModulationRouting::numLfos; ++k)
        if (routes.lfoTarget[(size_t) k] == index)
        {
            const float depth = juce::jlimit (0.0f, 1.0f, rawValues[(size_t) param::lfoDepthIndex (k)]->load (std::memory_order_relaxed));
            v += (lfoBank.value (k) - 0.5f) * depth;
        }

    return p->convertFrom0to1 (juce::jlimit (0.0f, 1.0f, v));
}

float VelmoraSynthAudioProcessor::getEffectiveParameterValue (const char* parameterId, const MotionState& motion) const
{
    const int index = findParameterIndex (parameterId);
    return index < 0 ? 0.0f : effectiveValue (index, motion, routing.snapshot());
}

void VelmoraSynthAudioProcessor::readBlockParameters (const MotionState& motion) noexcept
{
    const auto routes = routing.snapshot();
    for (int i = 0; i < param::count; ++i)
    {
        const auto raw = rawValues[(size_t) i]->load (std::memory_order_relaxed);
        blockParameters.raw[(size_t) i] = raw;
        blockParameters.effective[(size_t) i] = modulatedRead[(size_t) i] ? effectiveValue (i, motion, routes) : raw;
    }
}

void VelmoraSynthAudioProcessor::advanceLfos (int numSamples) noexcept
{
    float rates[LfoBank::numLfos];
    for (int k = 0; k < LfoBank::numLfos; ++k)
        rates[k] = rawValues[(size_t) param::lfoRateIndex (k)]->load (std::memory_order_relaxed);
    lfoBank.advance (rates, numSamples, getSampleRate());
}

void VelmoraSynthAudioProcessor::handleModeChange() noexcept
{
    const bool mono = blockParameters.rawOn (param::monoMode);
    const bool mirrorOn = blockParameters.rawOn (param::mirrorEnabled);
    if (mono == lastMonoMode && mirrorOn == lastMirrorEnabled)
        return;

    polySynth.allNotesOff (0, false);
    monoSynth.allNotesOff (0, false);

    // A mono voice answers a stop without tail-off by holding its note for legato; a switch of
    // engine must really end it, or it would sound again when mono mode comes back.
    for (auto* v : voices)
        if (v->isVoiceActive())
            v->silence();

    monoStage.reset();
    humanizer.reset();
    resetMirrorState();

    lastMonoMode = mono;
    lastMirrorEnabled = mirrorOn;
}

void VelmoraSynthAudioProcessor::updateVoices (const VoiceRenderConfig& config) noexcept
{
    for (auto* v : voices)
        v->setRenderConfig (config);
}

double VelmoraSynthAudioProcessor::hostTempo() const
{
    if (auto* head = getPlayHead())
        if (const auto position = head->getPosition())
            if (const auto bpm = position->getBpm(); bpm.hasValue() && *bpm > 1.0)
                return *bpm;
    return 120.0;
}

void VelmoraSynthAudioProcessor::buildWorkingMidi (const juce::MidiBuffer& hostMidi, int numSamples)
{
    const bool arpOn = blockParameters.effOn (param::arpEnabled);

    if (arpOn != lastArpEnabled)
    {
        // Notes started on one side of the switch would never get their note-off from the
        // other: the arpeggiator consumes the keys' note-offs, and its own notes end only when
        // it runs. Let everything sounding release, and start the later stages afresh (a key
        // left in the mono stack would otherwise be handed the voice back with no end).
        polySynth.allNotesOff (0, true);
        monoSynth.allNotesOff (0, true);
        if (! arpOn)
            arpeggiator.forgetActiveNotes();
        monoStage.reset();
        humanizer.reset();
        resetMirrorState();
        lastArpEnabled = arpOn;
    }

    workingMidi.clear();

    if (arpOn)
    {
        velmora::Arpeggiator::Settings s;
        s.rate = blockParameters.effRounded (param::arpRate);
        s.pattern = blockParameters.effRounded (param::arpPattern);
        s.octaves = blockParameters.effRounded (param::arpOctaves);
        s.gate = blockParameters.eff (param::arpGate);
        s.swing = blockParameters.eff (param::arpSwing);
        arpeggiator.processMidi (hostMidi, workingMidi, numSamples, getSampleRate(), hostTempo(), s);
        return;
    }

    arpeggiator.trackHeldNotes (hostMidi);   // so switching it on plays the keys held then
    for (const auto m : hostMidi)
        if (m.samplePosition >= 0 && m.samplePosition < numSamples)
            workingMidi.addEvent (m.data, m.numBytes, m.samplePosition);
}

void VelmoraSynthAudioProcessor::transformMidi (bool mono, bool mirrorOn, int numSamples)
{
    if (mirrorOn)
    {
        velmora::MirrorTransform::Settings s;
        s.mode = blockParameters.rawRounded (param::mirrorMode);
        s.axis = blockParameters.rawRounded (param::mirrorAxis);
        s.range = blockParameters.effRounded (param::mirrorRange);
        s.depth = blockParameters.eff (param::mirrorDepth);
        s.delayMs = blockParameters.eff (param::mirrorDelayMs);
        mirror.process (workingMidi, scratchMidi, numSamples, getSampleRate(), s);
        workingMidi.swapWith (scratchMidi);
    }
    else if (mono)
    {
        monoStage.process (workingMidi, scratchMidi);
        workingMidi.swapWith (scratchMidi);
    }

    const float humanize = blockParameters.eff (param::humanizeAmount);
    if (humanize > 0.001f)
    {
        humanizer.process (workingMidi, scratchMidi, numSamples, humanize);
        workingMidi.swapWith (scratchMidi);
    }
}

void VelmoraSynthAudioProcessor::applyOutputGain (juce::AudioBuffer<float>& buffer) const noexcept
{
    const float dB = blockParameters.eff (param::masterVolume);
    const float gain = dB > -100.0f ? std::pow (10.0f, dB / 20.0f) : 0.0f;

    if (buffer.getNumChannels() > 0 && ! buffer.hasBeenCleared())
        buffer.applyGain (gain);
}

void VelmoraSynthAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    juce::ScopedNoDenormals noDenormals;
    const int numSamples = buffer.getNumSamples();

    if (! buffer.hasBeenCleared())
        buffer.clear();

    motionSources.readControllers (midiMessages);
    motionSources.pollNetwork();
    advanceLfos (numSamples);

    const MotionState motion = motionSources.choose();
    displayMotion.store (motion);

    readBlockParameters (motion);
    const auto voiceConfig = makeVoiceRenderConfig (blockParameters, motion);
    const auto fxConfig = makeFxRenderConfig (blockParameters, motion);

    handleModeChange();
    updateVoices (voiceConfig);

    buildWorkingMidi (midiMessages, numSamples);

    const bool mono = blockParameters.rawOn (param::monoMode);
    const bool mirrorOn = blockParameters.rawOn (param::mirrorEnabled);
    transformMidi (mono, mirrorOn, numSamples);

    auto& synth = (mono && ! mirrorOn) ? monoSynth : polySynth;
    synth.renderNextBlock (buffer, workingMidi, 0, numSamples);

    if (numSamples > 0)
        effectsChain.process (buffer, fxConfig);

    applyOutputGain (buffer);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new VelmoraSynthAudioProcessor();
}
