#pragma once

#include "OfflineRenderer.h"

namespace halcyra
{

/** A short pad phrase (four slow chords under a melody) for demos and tests without a MIDI file. */
std::vector<TimedMidi> makeDemoPhrase (double sampleRate);

} // namespace halcyra
