#pragma once

#include "BlockParameters.h"
#include "transforms/Arpeggiator.h"
#include "transforms/Humanizer.h"
#include "transforms/MirrorTransform.h"
#include "transforms/MonoNoteStack.h"
#include "Parameters.h"
#include "../engine/EffectsChain.h"
#include "../engine/PadSynthesiser.h"
#include "../engine/PadSynthVoice.h"
#include "../engine/VoiceRenderConfig.h"
#include "../motion/LfoBank.h"
#include "../motion/ModulationRouting.h"
#include "../motion/MotionSources.h"
#include "../motion/MotionState.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>

/** The host-facing instrument. Owns every engine object; processBlock is the block driver that
    runs the stages of one block in a fixed order. */
class VelmoraSynthAudioProcessor : public juce::AudioProcessor
{
public:
    VelmoraSynthAudioProcessor();
    ~VelmoraSynthAudioProcessor() override;

    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    //==============================================================================
    const juce::String getName() const override { return "Halcyra"; }
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override { return 12.0; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    bool isMidiEffect() const override { return false; }

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    int getNumPrograms() override;
    int getCurrentProgram() override { return currentProgram; }
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int, const juce::String&) override {}   // factory names are fixed

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    //==============================================================================
    /** The parameter's value after modulation, in its own units; 0 for an unknown ID. */
    float getEffectiveParameterValue (const char* parameterId, const velmora::MotionState& motion) const;

    // Modulation routing (message thread). Out-of-range indices are ignored.
    void setMotionRouteTarget (int index, const juce::String& parameterId);
    void setMotionRouteDepth (int index, float depth);
    void setLfoTarget (int index, const juce::String& parameterId);
    juce::String getMotionRouteTarget (int index) const;
    float getMotionRouteDepth (int index) const;
    juce::String getLfoTarget (int index) const;

    static juce::String motionTargetPropertyNameForIndex (int index);
    static juce::String motionDepthPropertyNameForIndex (int index);
    static juce::String lfoTargetPropertyNameForIndex (int index);

    struct MotionTargetChoice
    {
        const char* parameterId;
        const char* label;
    };
    /** The 47 targets the editor offers, "None" first. */
    static const std::vector<MotionTargetChoice>& getMotionTargetChoicesInternal();

    using PendingMirrorEvent = velmora::PendingMirrorEvent;

    /** Drops queued mirror events and every mirror pairing. */
    void resetMirrorState();
    void addMirrorEventWithDelay (juce::MidiBuffer& output, const juce::MidiMessage& message,
                                  int samplePosition, int delaySamples, int numSamples);

    //==============================================================================
    // Sounds: factory banks, state snapshots and the user preset store.
    struct UserPreset
    {
        juce::String name;
        juce::ValueTree state;
    };

    juce::ValueTree createPresetStateSnapshot (const juce::String& collection, const juce::String& userPresetName);
    void ensureExtendedStateProperties (juce::ValueTree& tree) const;
    void restoreExtendedStateProperties();
    juce::String getCurrentPresetDisplayName() const;
    void setCustomArtworkPath (const juce::String& path);

    juce::StringArray getFactoryBankIds() const;
    juce::String getFactoryBankDisplayName (const juce::String& bankId) const;
    juce::String getSelectedFactoryBank() const;
    void setSelectedFactoryBank (const juce::String& bankId);
    juce::Array<int> getFactoryPresetIndicesForBank (const juce::String& bankId) const;

    juce::File getUserPresetStoreFile();
    void loadUserPresetsFromDisk();
    int findUserPresetIndexByName (const juce::String& name) const;
    void loadUserPreset (int index);
    bool saveUserPreset (const juce::String& name);
    void deleteSelectedUserPreset();
    const std::vector<UserPreset>& getUserPresets() const noexcept { return userPresets; }
    int getSelectedUserPresetIndex() const noexcept { return selectedUserPresetIndex; }

    velmora::MotionSources& getMotionSources() noexcept { return motionSources; }
    velmora::Arpeggiator& getArpeggiator() noexcept { return arpeggiator; }
    velmora::MirrorTransform& getMirror() noexcept { return mirror; }
    velmora::Humanizer& getHumanizer() noexcept { return humanizer; }
    const velmora::LfoBank& getLfoBank() const noexcept { return lfoBank; }

    juce::AudioProcessorValueTreeState& getParameterState() noexcept { return parameterState; }
    juce::Synthesiser& getPolySynth() noexcept { return polySynth; }
    juce::Synthesiser& getMonoSynth() noexcept { return monoSynth; }
    velmora::EffectsChain& getEffectsChain() noexcept { return effectsChain; }

    /** The motion record of the last block, for the editor; fields may come from two blocks. */
    velmora::MotionState getDisplayMotion() const noexcept { return displayMotion.load(); }

private:
    float effectiveValue (int index, const velmora::MotionState& motion,
                          const velmora::ModulationRouting::Snapshot& routes) const noexcept;
    void applyFactoryPreset (int index);
    void writeUserPresetStore (const juce::StringArray& removedNames);

    // The stages of one block, in the order processBlock runs them.
    void advanceLfos (int numSamples) noexcept;
    void readBlockParameters (const velmora::MotionState& motion) noexcept;
    void handleModeChange() noexcept;
    void updateVoices (const velmora::VoiceRenderConfig& config) noexcept;
    void buildWorkingMidi (const juce::MidiBuffer& hostMidi, int numSamples);
    void transformMidi (bool mono, bool mirror, int numSamples);
    double hostTempo() const;
    void applyOutputGain (juce::AudioBuffer<float>& buffer) const noexcept;

    //==============================================================================
    juce::AudioProcessorValueTreeState parameterState;
    velmora::PadSynthesiser polySynth, monoSynth;
    velmora::Arpeggiator arpeggiator;
    velmora::EffectsChain effectsChain;

    velmora::MotionSources motionSources;
    velmora::AtomicMotionState displayMotion;
    velmora::ModulationRouting routing;
    velmora::LfoBank lfoBank;

    velmora::MirrorTransform mirror;
    velmora::MonoNoteStack monoStage;
    velmora::Humanizer humanizer;

    bool lastMonoMode = false, lastMirrorEnabled = false, lastArpEnabled = false;
    int currentProgram = 0;
    int selectedUserPresetIndex = -1;
    std::vector<UserPreset> userPresets;

    // Cached at construction so the audio thread never looks parameters up by name.
    std::array<std::atomic<float>*, velmora::param::count> rawValues {};
    std::array<juce::RangedAudioParameter*, velmora::param::count> parameters {};
    std::array<bool, velmora::param::count> modulatedRead {};   // read through modulation by the driver

    std::array<velmora::PadSynthVoice*, 11> voices {};
    velmora::BlockParameters blockParameters;
    juce::MidiBuffer workingMidi, scratchMidi;   // each stage writes the other, then they swap

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelmoraSynthAudioProcessor)
};
