// Built with ThreadSanitizer over the whole processor and JUCE: the message thread loads factory
// presets, restores host state and user presets and rewires routes while the audio thread
// renders. TSan reports any data race between them and fails the run.

#include "plugin/PluginProcessor.h"
#include "plugin/UserPresetFile.h"

#include <atomic>
#include <cstdio>
#include <thread>

int main()
{
    juce::ScopedJuceInitialiser_GUI juce;
    const auto userData = juce::File::createTempFile ("halcyra-tsan");
    userData.createDirectory();
    velmora::UserPresetFile::setDataRootOverride (userData);

    int failures = 0;
    {
        VelmoraSynthAudioProcessor proc;
        proc.setRateAndBufferSizeDetails (48000.0, 256);
        proc.prepareToPlay (48000.0, 256);

        std::vector<juce::MemoryBlock> states;
        for (int i : { 3, 25, 44 })
        {
            proc.setCurrentProgram (i);
            proc.setMotionRouteTarget (i % 10, "resonance");
            states.push_back ({});
            proc.getStateInformation (states.back());
        }
        proc.saveUserPreset ("Stress");

        std::atomic<bool> running { true }, bad { false };
        std::atomic<long> blocks { 0 };
        std::thread audio ([&] {
            juce::AudioBuffer<float> buffer (2, 256);
            juce::Random rng (11);
            while (running.load())
            {
                juce::MidiBuffer midi;
                if (rng.nextInt (6) == 0)
                    midi.addEvent (juce::MidiMessage::noteOn (1, 40 + rng.nextInt (40), (juce::uint8) 100), rng.nextInt (256));
                if (rng.nextInt (6) == 0)
                    midi.addEvent (juce::MidiMessage::noteOff (1, 40 + rng.nextInt (40)), rng.nextInt (256));
                if (rng.nextInt (6) == 0)
                    midi.addEvent (juce::MidiMessage::controllerEvent (1, 20 + rng.nextInt (10), rng.nextInt (128)), 0);
                buffer.setSize (2, 256, false, false, true);
                proc.processBlock (buffer, midi);
                for (int i = 0; i < 256; ++i)
                    if (! std::isfinite (buffer.getSample (0, i)))
                        bad = true;
                ++blocks;
            }
        });

        for (int i = 0; i < 4 * proc.getNumPrograms(); ++i)
        {
            proc.setCurrentProgram (i % proc.getNumPrograms());
            proc.setLfoTarget (i % 8, i % 2 == 0 ? "shimmer" : "cutoff");
            proc.setMotionRouteDepth (i % 10, (float) (i % 5) / 4.0f);
            const auto& s = states[(size_t) i % states.size()];
            proc.setStateInformation (s.getData(), (int) s.getSize());
            if (i % 10 == 0)
                proc.loadUserPreset (0);
            juce::MemoryBlock saved;
            proc.getStateInformation (saved);
        }
        running = false;
        audio.join();

        std::printf ("%ld blocks rendered while 4 x 52 presets, %zu states and a user preset were loaded\n", blocks.load(), states.size());
        failures = (bad.load() || blocks.load() < 10) ? 1 : 0;
        proc.releaseResources();
    }

    userData.deleteRecursively();
    std::printf ("%d passed, %d failed\n", 1 - failures, failures);
    return failures;
}
