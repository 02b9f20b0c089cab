#pragma once

#include "OfflineRenderer.h"

#include <juce_graphics/juce_graphics.h>

namespace halcyra
{

/** Magnitude-weighted mean frequency of a buffer's first channel, in Hz. */
double spectralCentroid (const juce::AudioBuffer<float>& audio, double sampleRate);

/** A spectrogram picture: time left to right, log frequency bottom to top, level as colour. */
juce::Image makeSpectrogram (const juce::AudioBuffer<float>& audio, double sampleRate, int width = 640, int height = 240);

/** The short phrase every preset is auditioned with: a held chord, then a rising line. */
std::vector<TimedMidi> makeAuditionPhrase (double sampleRate);

struct AuditionResult
{
    int index = 0;
    juce::String name, bank, wavFile, pngFile;
    RenderStats stats;
    double centroid = 0.0;
};

/** Renders every factory preset into `folder` (a WAV and a spectrogram each, and index.html
    showing them side by side). Returns the figures of each render. */
std::vector<AuditionResult> auditionFactoryPresets (const juce::File& folder, double sampleRate, int blockSize, double bpm);

} // namespace halcyra
