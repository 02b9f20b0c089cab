#pragma once

#include "PadSynthVoice.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

namespace velmora
{

/** juce::Synthesiser that renders its pad voices' filters side by side (see
    PadSynthVoice::filterTogether), with an allocation-free voice-stealing choice. JUCE 7.0.5 rebuilds its list
    of stealable voices with Array::clear(), which frees the storage, so every steal allocated on
    the audio thread. The policy here is JUCE's: the oldest voice on the same note, else the
    oldest released one, else the oldest without a key down, else the oldest that is neither the
    lowest nor the highest held note. */
class PadSynthesiser : public juce::Synthesiser
{
public:
    static constexpr int maxVoices = 32;

protected:
    using juce::Synthesiser::renderVoices;

    void renderVoices (juce::AudioBuffer<float>& buffer, int startSample, int numSamples) override
    {
        std::array<PadSynthVoice*, maxVoices> sounding {};
        int count = 0;

        for (int i = 0; i < getNumVoices(); ++i)
        {
            auto* voice = getVoice (i);
            auto* pad = dynamic_cast<PadSynthVoice*> (voice);
            if (pad == nullptr || numSamples <= 0 || numSamples > pad->getSourceCapacity() || count == maxVoices)
                voice->renderNextBlock (buffer, startSample, numSamples);   // the plain way
            else if (pad->getCurrentlyPlayingNote() >= 0)
                sounding[(size_t) count++] = pad;
        }

        if (count == 0)
            return;

        for (int v = 0; v < count; ++v)
            sounding[(size_t) v]->renderSource (numSamples);

        float* left = buffer.getNumChannels() > 0 ? buffer.getWritePointer (0, startSample) : nullptr;
        float* right = buffer.getNumChannels() > 1 ? buffer.getWritePointer (1, startSample) : nullptr;
        PadSynthVoice::filterTogether (sounding.data(), count, left, right, numSamples);

        for (int v = 0; v < count; ++v)
            sounding[(size_t) v]->finishBlock();
    }

    juce::SynthesiserVoice* findVoiceToSteal (juce::SynthesiserSound* sound, int midiChannel, int midiNoteNumber) const override
    {
        juce::ignoreUnused (midiChannel);
        std::array<juce::SynthesiserVoice*, maxVoices> usable {};
        size_t count = 0;
        juce::SynthesiserVoice* low = nullptr;   // lowest and highest held notes are protected
        juce::SynthesiserVoice* top = nullptr;

        for (int i = 0; i < getNumVoices() && count < usable.size(); ++i)
        {
            auto* voice = getVoice (i);
            if (! voice->canPlaySound (sound))
                continue;

            usable[count++] = voice;

            if (! voice->isPlayingButReleased())
            {
                const auto note = voice->getCurrentlyPlayingNote();
                if (low == nullptr || note < low->getCurrentlyPlayingNote())
                    low = voice;
                if (top == nullptr || note > top->getCurrentlyPlayingNote())
                    top = voice;
            }
        }

        std::sort (usable.begin(), usable.begin() + (std::ptrdiff_t) count,
                   [] (const juce::SynthesiserVoice* a, const juce::SynthesiserVoice* b) { return a->wasStartedBefore (*b); });

        if (top == low)
            top = nullptr;

        const auto end = usable.begin() + (std::ptrdiff_t) count;
        for (auto it = usable.begin(); it != end; ++it)
            if ((*it)->getCurrentlyPlayingNote() == midiNoteNumber)
                return *it;

        for (auto it = usable.begin(); it != end; ++it)
            if (*it != low && *it != top && (*it)->isPlayingButReleased())
                return *it;

        for (auto it = usable.begin(); it != end; ++it)
            if (*it != low && *it != top && ! (*it)->isKeyDown())
                return *it;

        for (auto it = usable.begin(); it != end; ++it)
            if (*it != low && *it != top)
                return *it;

        return top != nullptr ? top : low;
    }
};

} // namespace velmora
