#include "Audition.h"

#include "plugin/PluginProcessor.h"

#include <juce_dsp/juce_dsp.h>

namespace halcyra
{
namespace
{
    constexpr int fftOrder = 11, fftSize = 1 << fftOrder;

    /** Magnitude spectra of Hann-windowed frames of channel 0, hop = fftSize / 2. */
    std::vector<std::vector<float>> frames (const juce::AudioBuffer<float>& audio)
    {
        juce::dsp::FFT fft (fftOrder);
        std::vector<std::vector<float>> out;
        std::vector<float> frame (2 * fftSize);
        for (int start = 0; start + fftSize <= audio.getNumSamples(); start += fftSize / 2)
        {
            std::fill (frame.begin(), frame.end(), 0.0f);
            for (int i = 0; i < fftSize; ++i)
                frame[(size_t) i] = audio.getSample (0, start + i) * (0.5f - 0.5f * std::cos (juce::MathConstants<float>::twoPi * (float) i / fftSize));
            fft.performFrequencyOnlyForwardTransform (frame.data());
            out.emplace_back (frame.begin(), frame.begin() + fftSize / 2);
        }
        return out;
    }
}

double spectralCentroid (const juce::AudioBuffer<float>& audio, double sampleRate)
{
    double weighted = 0.0, total = 0.0;
    for (const auto& spectrum : frames (audio))
        for (size_t k = 1; k < spectrum.size(); ++k)
        {
            weighted += spectrum[k] * (double) k * sampleRate / fftSize;
            total += spectrum[k];
        }
    return total > 0.0 ? weighted / total : 0.0;
}

juce::Image makeSpectrogram (const juce::AudioBuffer<float>& audio, double sampleRate, int width, int height)
{
    juce::Image image (juce::Image::RGB, width, height, true);
    const auto spectra = frames (audio);
    if (spectra.empty())
        return image;

    const double lowHz = 30.0, highHz = juce::jmin (20000.0, sampleRate / 2.0);
    for (int x = 0; x < width; ++x)
    {
        const auto& spectrum = spectra[(size_t) juce::jmin ((int) spectra.size() - 1, x * (int) spectra.size() / width)];
        for (int y = 0; y < height; ++y)
        {
            const double hz = lowHz * std::pow (highHz / lowHz, (double) (height - 1 - y) / (height - 1));
            const auto bin = (size_t) juce::jlimit (1, fftSize / 2 - 1, (int) std::round (hz * fftSize / sampleRate));
            const float dB = juce::Decibels::gainToDecibels (spectrum[bin] / (fftSize / 4.0f), -100.0f);
            const float level = juce::jlimit (0.0f, 1.0f, (dB + 90.0f) / 90.0f);
            image.setPixelAt (x, y, juce::Colour::fromHSV (0.7f - 0.7f * level, 0.85f, level, 1.0f));
        }
    }
    return image;
}

std::vector<TimedMidi> makeAuditionPhrase (double sampleRate)
{
    std::vector<TimedMidi> e;
    auto at = [sampleRate] (double s) { return (juce::int64) std::llround (s * sampleRate); };
    for (int n : { 48, 55, 60, 64, 71 })
    {
        e.push_back ({ at (0.0), juce::MidiMessage::noteOn (1, n, (juce::uint8) 96) });
        e.push_back ({ at (2.0), juce::MidiMessage::noteOff (1, n) });
    }
    const int line[] = { 60, 62, 64, 67, 69, 72 };
    for (int i = 0; i < 6; ++i)
    {
        e.push_back ({ at (2.0 + 0.25 * i), juce::MidiMessage::noteOn (1, line[i], (juce::uint8) 88) });
        e.push_back ({ at (2.2 + 0.25 * i), juce::MidiMessage::noteOff (1, line[i]) });
    }
    std::stable_sort (e.begin(), e.end(), [] (const TimedMidi& a, const TimedMidi& b) { return a.sample < b.sample; });
    return e;
}

std::vector<AuditionResult> auditionFactoryPresets (const juce::File& folder, double sampleRate, int blockSize, double bpm)
{
    std::vector<AuditionResult> results;
    folder.createDirectory();

    juce::String html;
    html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Halcyra factory presets</title>\n"
         << "<style>body{background:#0d1412;color:#d9ebe6;font-family:sans-serif}"
         << ".grid{display:grid;grid-template-columns:repeat(auto-fill,minmax(330px,1fr));gap:14px}"
         << ".p{background:#17211e;padding:8px;border-radius:6px}.p img{width:100%}"
         << ".n{font-weight:bold}.m{font-size:12px;color:#8fb3a8}</style></head><body>\n"
         << "<h1>Halcyra factory presets</h1><p>Each preset plays the same phrase (a held chord, then a rising line) at "
         << juce::String (bpm, 0) << " BPM, " << juce::String (sampleRate, 0) << " Hz.</p>\n<div class=\"grid\">\n";

    for (int index = 0; index < 52; ++index)
    {
        OfflineRenderer renderer (sampleRate, blockSize);
        renderer.setTempo (bpm);
        renderer.seedRandomSources (1000 + index);   // the same page every time
        renderer.processor().setCurrentProgram (index);
        const auto audio = renderer.render (makeAuditionPhrase (sampleRate), 2.5);

        AuditionResult r;
        r.index = index;
        r.name = renderer.processor().getProgramName (index);
        r.bank = renderer.processor().getSelectedFactoryBank();
        r.stats = measure (audio, sampleRate);
        r.centroid = spectralCentroid (audio, sampleRate);

        const auto stem = juce::String (index).paddedLeft ('0', 2) + "-" + juce::File::createLegalFileName (r.name).replaceCharacter (' ', '-');
        r.wavFile = stem + ".wav";
        r.pngFile = stem + ".png";
        juce::String error;
        writeWav (folder.getChildFile (r.wavFile), audio, sampleRate, error);
        {
            juce::FileOutputStream png (folder.getChildFile (r.pngFile));
            if (png.openedOk())
            {
                png.setPosition (0);
                png.truncate();
                juce::PNGImageFormat().writeImageToStream (makeSpectrogram (audio, sampleRate), png);
            }
        }

        html << "<div class=\"p\"><div class=\"n\">" << index << ". " << r.name << "</div>"
             << "<div class=\"m\">Bank " << r.bank << " &middot; peak " << juce::String (r.stats.peak, 3)
             << " &middot; RMS " << juce::String (r.stats.rms, 4) << " &middot; centroid " << juce::String ((int) r.centroid) << " Hz</div>"
             << "<img src=\"" << r.pngFile << "\" alt=\"spectrogram of " << r.name << "\">"
             << "<audio controls src=\"" << r.wavFile << "\"></audio></div>\n";
        results.push_back (r);
    }

    html << "</div></body></html>\n";
    folder.getChildFile ("index.html").replaceWithText (html);
    return results;
}

} // namespace halcyra
