#pragma once

#include <juce_core/juce_core.h>

class VelmoraSynthAudioProcessor;

namespace halcyra
{

/** Loads a sound into the processor from a file: host state bytes (as a host saves them), a
    state tree as XML, or one patch of a user preset bank ("UserPatches.xml#Name"; the first
    patch when no name is given). Returns false with a message when nothing could be loaded. */
bool loadStateFile (const juce::String& source, VelmoraSynthAudioProcessor& processor, juce::String& error);

/** A factory preset by program number ("7") or by name (case ignored). −1 when none matches. */
int findFactoryPreset (VelmoraSynthAudioProcessor& processor, const juce::String& text);

} // namespace halcyra
