#pragma once

#include "LinearEnvelope.h"
#include "TptFilter.h"
#include "VoiceKernels.h"
#include "VoiceRenderConfig.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <vector>

namespace velmora
{

/** The one sound every pad voice plays: any note, any channel. */
class PadSynthSound : public juce::SynthesiserSound
{
public:
    bool appliesToNote (int) override    { return true; }
    bool appliesToChannel (int) override { return true; }
};

/** A pad voice: up to five detuned copies of a twelve-partial additive core with two waveform
    oscillators (FM, sync, ring), a sub and a fat square, through a linear envelope, tanh drive
    and a low-pass / band-pass morphing filter pair per channel. */
class PadSynthVoice : public juce::SynthesiserVoice
{
public:
    static constexpr int maxUnison = 5;
    static constexpr int numPartials = 12;
    static constexpr int partialLanes = 16;   // the partial tables padded to whole vector registers

    PadSynthVoice();

    bool canPlaySound (juce::SynthesiserSound*) override;
    void startNote (int midiNoteNumber, float velocity, juce::SynthesiserSound*, int currentPitchWheelPosition) override;
    void stopNote (float velocity, bool allowTailOff) override;
    void pitchWheelMoved (int) override {}
    void controllerMoved (int, int) override {}
    void renderNextBlock (juce::AudioBuffer<float>& output, int startSample, int numSamples) override;
    using juce::SynthesiserVoice::renderNextBlock;

    void setRenderConfig (const VoiceRenderConfig& newConfig) noexcept;
    void prepare (double newSampleRate, int maximumBlockSize);

    /** renderNextBlock in two steps, so that a synthesiser can run several voices' filters side
        by side: renderSource renders everything before the filters into the voice's own buffers
        (at most getSourceCapacity() samples), filterTogether runs the filters of the voices given
        over what they rendered and adds them to the output (either pointer may be null), and
        finishBlock frees a voice whose note has ended. */
    void renderSource (int numSamples) noexcept;
    static void filterTogether (PadSynthVoice* const* voices, int count, float* left, float* right, int numSamples) noexcept;
    void finishBlock() noexcept;
    int getSourceCapacity() const noexcept   { return (int) sourceL.size(); }

    /** Replaces the random source (tests seed it to make a voice reproducible). */
    void setRandomSeed (juce::int64 seed) noexcept { random.setSeed (seed); }

    // Read-only views for tests and the display.
    const VoiceRenderConfig& getConfig() const noexcept   { return config; }
    const LinearEnvelope& getEnvelope() const noexcept     { return envelope; }
    float getCurrentFrequency() const noexcept             { return currentFrequency; }
    float getVelocity() const noexcept                     { return velocity; }
    float getStartDelay (int copy) const noexcept          { return startDelay[copy]; }
    float getPhaseA (int copy) const noexcept              { return phaseA[copy]; }
    float getPartialGain (int k) const noexcept            { return partialGain[k]; }
    bool isLegatoPending() const noexcept                  { return legatoPending; }

    /** Ends the note at once, whatever the mode (a mono voice would otherwise hold it for legato). */
    void silence() noexcept;
    const TptFilter& getFilter (int index) const noexcept  { return filters[(size_t) index]; }

    /** Pan position −1 … +1 of copy u when n copies play, and the stack's gain 1/√n. */
    static float unisonPosition (int u, int unisonVoices) noexcept;
    static float unisonNorm (int unisonVoices) noexcept;
    static int unisonCount (int unisonVoices) noexcept { return unisonVoices < 2 ? 1 : juce::jmin (unisonVoices, maxUnison); }

protected:
    // Protected so that the tests' reference voice can render the same state with the plain
    // per-sample formulas (tests/reference); nothing else derives from this class.
    void initialiseVoiceState() noexcept;
    void updateFilters (float env, float morph, float frequency) noexcept;
    void setFilter (int slot, float cutoff, float resonance) noexcept;
    float uniform() noexcept  { return juce::jmin (random.nextFloat(), 0.9999999f); }
    float bipolar() noexcept  { return 2.0f * uniform() - 1.0f; }

    VoiceRenderConfig config;
    LinearEnvelope envelope;

    // Low-pass pair, then the band-pass pair the morph blends in.
    enum FilterSlot { filterL, filterR, morphFilterL, morphFilterR };
    std::array<TptFilter, 4> filters;

    juce::Random random;
    double sampleRate = 44100.0;

    float currentFrequency = 440.0f;
    float glideStartFrequency = 440.0f, glideTargetFrequency = 440.0f;
    float glideSamplesRemaining = 0.0f, glideSamplesTotal = 0.0f;
    float velocity = 1.0f;
    float noiseLowpass = 0.0f;
    bool legatoPending = false;

    // One slot per unison copy, padded to whole vector registers (the kernels read them as lanes).
    static constexpr int copySlots = voicekernels::copyLanes;
    alignas (32) float phaseA[copySlots] {}, phaseB[copySlots] {}, phaseFm[copySlots] {}, phaseSub[copySlots] {};
    alignas (32) float driftPhase[copySlots] {}, panOffset[copySlots] {}, detuneOffset[copySlots] {}, startDelay[copySlots] {};
    // Lanes 12 … 15 have ratio and gain 0: they compute nothing audible.
    alignas (64) float partialPhase[maxUnison][partialLanes] {};
    alignas (64) float partialWobblePhase[maxUnison][partialLanes] {};
    alignas (64) float partialGain[partialLanes] {};
    alignas (64) static constexpr float partialRatio[partialLanes] { 0.5f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 8.0f,
                                                                     10.0f, 12.0f, 14.0f, 16.0f, 0.0f, 0.0f, 0.0f, 0.0f };

    float gainsTilt = -1.0f, gainsShimmer = -1.0f;   // what the partial gains were computed for

    // What renderSource leaves for the filters: the drive output, and the envelope and frequency
    // at every 8th sample.
    std::vector<float> sourceL, sourceR, sourceEnv, sourceFrequency;
    float sourceMorph = 0.0f;
    void filterSource (float* left, float* right, int numSamples) noexcept;
    static void filterGroup (PadSynthVoice* const* voices, int count, float* left, float* right, int numSamples) noexcept;
    void sizeSources (int capacity);

    // The filter update's key factor, kept while frequency and key tracking stay the same.
    float keyFactorBase = -1.0f, keyFactorTrack = -1.0f, keyFactor = 1.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PadSynthVoice)
};

} // namespace velmora
