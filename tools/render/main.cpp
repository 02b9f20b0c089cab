// halcyra-render: plays a MIDI file (or a built-in demo phrase) through the real Halcyra
// processor, block by block as a host would, and writes the result as a 32-bit float WAV.

#include "Audition.h"
#include "DemoPhrase.h"
#include "OfflineRenderer.h"
#include "StateFiles.h"

#include "plugin/PluginProcessor.h"

#include <juce_events/juce_events.h>

#include <iostream>

namespace
{
const char* usage =
    "usage: halcyra-render [options] [FILE.mid]\n"
    "  FILE.mid               Standard MIDI File to play (default: a built-in demo phrase)\n"
    "  -o, --out PATH         output WAV (default: halcyra-render.wav)\n"
    "  --rate HZ              sample rate (default 48000)\n"
    "  --block N              block size in samples (default 512)\n"
    "  --tail SECONDS         time rendered after the last MIDI event (default 4)\n"
    "  --set ID=VALUE         set a parameter in its own units (repeatable); choices also by name\n"
    "  --motion FILE.csv      hand motion during the render (time_ms + ten values per row)\n"
    "  --bpm TEMPO            host tempo for the arpeggiator (default: no play head, 120)\n"
    "  --preset NAME|INDEX    start from a factory preset (see --list-presets)\n"
    "  --state FILE[#PATCH]   start from a saved sound: host state bytes, a state XML file, or a\n"
    "                         patch of a user preset bank (UserPatches.xml#Name)\n"
    "  --seed N               fix every random source, so the same render comes out the same\n"
    "  --list-presets         print the factory presets (index, bank, name) and exit\n"
    "  --audition DIR         render every factory preset into DIR: WAV, spectrogram, index.html\n"
    "  --list-parameters      print every parameter (index, ID, name, range, default) and exit\n"
    "  -h, --help             this text\n";

int fail (const juce::String& message, int code = 2)
{
    std::cerr << "halcyra-render: " << message << "\n";
    return code;
}

bool parseNumber (const juce::String& text, double lo, double hi, double& out)
{
    const auto chars = text.trim().toRawUTF8();
    char* end = nullptr;
    out = std::strtod (chars, &end);
    return end != chars && *end == '\0' && std::isfinite (out) && out >= lo && out <= hi;
}
}

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    juce::String midiPath, motionPath, presetText, statePath, auditionPath, outPath = "halcyra-render.wav";
    double rate = 48000.0, block = 512.0, tail = 4.0, bpm = 0.0, seed = -1.0;
    std::vector<std::pair<juce::String, juce::String>> sets;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        auto needValue = [&] (juce::String& value) {
            if (i + 1 >= argc)
                return false;
            value = argv[++i];
            return true;
        };
        juce::String value;

        if (arg == "-h" || arg == "--help")
        {
            std::cout << usage;
            return 0;
        }
        if (arg == "--list-presets")
        {
            halcyra::OfflineRenderer renderer (rate, 512);
            auto& proc = renderer.processor();
            for (int p = 0; p < proc.getNumPrograms(); ++p)
            {
                proc.setCurrentProgram (p);
                std::cout << p << "\t" << proc.getSelectedFactoryBank() << "\t" << proc.getProgramName (p) << "\n";
            }
            return 0;
        }
        if (arg == "--preset")
        {
            if (! needValue (presetText)) return fail ("--preset needs a name or an index");
            continue;
        }
        if (arg == "--state")
        {
            if (! needValue (statePath)) return fail ("--state needs a file");
            continue;
        }
        if (arg == "--audition")
        {
            if (! needValue (auditionPath)) return fail ("--audition needs a folder");
            continue;
        }
        if (arg == "--list-parameters")
        {
            halcyra::OfflineRenderer renderer (rate, 512);
            const auto& params = renderer.processor().getParameters();
            for (int p = 0; p < params.size(); ++p)
                if (auto* r = dynamic_cast<juce::RangedAudioParameter*> (params[p]))
                {
                    const auto& range = r->getNormalisableRange();
                    std::cout << p << "\t" << r->getParameterID() << "\t" << r->getName (100) << "\t"
                              << range.start << "\t" << range.end << "\t"
                              << r->convertFrom0to1 (r->getDefaultValue()) << "\n";
                }
            return 0;
        }
        if (arg == "-o" || arg == "--out")
        {
            if (! needValue (outPath)) return fail ("--out needs a path");
        }
        else if (arg == "--rate")
        {
            if (! needValue (value) || ! parseNumber (value, 8000.0, 384000.0, rate))
                return fail ("--rate needs a sample rate between 8000 and 384000 Hz");
        }
        else if (arg == "--block")
        {
            if (! needValue (value) || ! parseNumber (value, 1.0, 16384.0, block) || block != std::floor (block))
                return fail ("--block needs a whole number of samples between 1 and 16384");
        }
        else if (arg == "--tail")
        {
            if (! needValue (value) || ! parseNumber (value, 0.0, 600.0, tail))
                return fail ("--tail needs seconds between 0 and 600");
        }
        else if (arg == "--seed")
        {
            if (! needValue (value) || ! parseNumber (value, 0.0, 2147483647.0, seed) || seed != std::floor (seed))
                return fail ("--seed needs a whole number from 0");
        }
        else if (arg == "--bpm")
        {
            if (! needValue (value) || ! parseNumber (value, 20.0, 999.0, bpm))
                return fail ("--bpm needs a tempo between 20 and 999");
        }
        else if (arg == "--motion")
        {
            if (! needValue (motionPath)) return fail ("--motion needs a CSV motion log");
        }
        else if (arg == "--set")
        {
            if (! needValue (value) || ! value.containsChar ('='))
                return fail ("--set needs ID=VALUE");
            sets.emplace_back (value.upToFirstOccurrenceOf ("=", false, false).trim(),
                               value.fromFirstOccurrenceOf ("=", false, false).trim());
        }
        else if (arg.startsWith ("-") && arg.length() > 1)
        {
            std::cerr << usage;
            return fail ("unknown option " + arg);
        }
        else if (midiPath.isEmpty())
        {
            midiPath = arg;
        }
        else
        {
            return fail ("only one MIDI file can be rendered at a time");
        }
    }

    juce::String error;

    if (auditionPath.isNotEmpty())
    {
        const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (auditionPath);
        if (! folder.createDirectory())
            return fail ("cannot create " + folder.getFullPathName());
        const auto results = halcyra::auditionFactoryPresets (folder, rate, (int) block, bpm > 0.0 ? bpm : 120.0);
        for (const auto& r : results)
            std::cout << juce::String (r.index).paddedLeft (' ', 2) << "  " << r.bank << "  " << r.name.paddedRight (' ', 36)
                      << " peak " << juce::String (r.stats.peak, 3) << "  RMS " << juce::String (r.stats.rms, 4)
                      << "  centroid " << juce::String ((int) r.centroid).paddedLeft (' ', 5) << " Hz\n";
        std::cout << "wrote " << results.size() << " renders and " << folder.getChildFile ("index.html").getFullPathName() << "\n";
        return 0;
    }

    std::vector<halcyra::TimedMidi> events;
    if (midiPath.isNotEmpty())
    {
        if (! halcyra::readMidiFile (juce::File::getCurrentWorkingDirectory().getChildFile (midiPath), rate, events, error))
            return fail (error);
    }
    else
    {
        events = halcyra::makeDemoPhrase (rate);
    }

    if (motionPath.isNotEmpty())
    {
        const auto until = (events.empty() ? 0 : events.back().sample) + (juce::int64) (tail * rate);
        if (! halcyra::readMotionLog (juce::File::getCurrentWorkingDirectory().getChildFile (motionPath), rate, until, events, error))
            return fail (error);
    }

    halcyra::OfflineRenderer renderer (rate, (int) block);
    if (bpm > 0.0)
        renderer.setTempo (bpm);
    if (seed >= 0.0)
        renderer.seedRandomSources ((juce::int64) seed);
    if (presetText.isNotEmpty())
    {
        const int index = halcyra::findFactoryPreset (renderer.processor(), presetText);
        if (index < 0)
            return fail ("no factory preset '" + presetText + "' (see --list-presets)");
        renderer.processor().setCurrentProgram (index);
    }
    if (statePath.isNotEmpty() && ! halcyra::loadStateFile (statePath, renderer.processor(), error))
        return fail (error);
    for (const auto& [id, v] : sets)
        if (! renderer.setParameter (id, v, error))
            return fail (error);

    // Refuse an unwritable destination before spending time on the render.
    const auto outFile = juce::File::getCurrentWorkingDirectory().getChildFile (outPath);
    if (! outFile.getParentDirectory().isDirectory())
        return fail ("cannot write " + outFile.getFullPathName() + ": folder does not exist");
    if (outFile.isDirectory() || ! outFile.getParentDirectory().hasWriteAccess())
        return fail ("cannot write " + outFile.getFullPathName() + ": permission denied or not a file");

    const auto audio = renderer.render (std::move (events), tail);
    const auto stats = halcyra::measure (audio, rate);

    if (! halcyra::writeWav (outFile, audio, rate, error))
        return fail (error);

    auto dB = [] (float x) { return x > 0.0f ? juce::String (juce::Decibels::gainToDecibels (x), 1) + " dBFS" : juce::String ("-inf dBFS"); };
    std::cout << "wrote " << outFile.getFullPathName() << "\n"
              << "length " << juce::String (stats.seconds, 3) << " s (" << audio.getNumSamples() << " samples, "
              << audio.getNumChannels() << " ch, " << rate << " Hz, blocks of " << (int) block << ")\n"
              << "peak " << juce::String (stats.peak, 4) << " (" << dB (stats.peak) << "), RMS "
              << juce::String (stats.rms, 4) << " (" << dB (stats.rms) << ")"
              << (stats.finite ? "" : ", NON-FINITE SAMPLES") << "\n";
    return stats.finite ? 0 : 1;
}
