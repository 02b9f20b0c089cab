#pragma once

#include "plugin/PluginProcessor.h"

#include <utility>
#include <vector>

namespace bench
{

inline void setParam (VelmoraSynthAudioProcessor& proc, const char* id, float value)
{
    auto* p = proc.getParameterState().getParameter (id);
    p->setValueNotifyingHost (p->convertTo0to1 (value));
}

/** Every costly part of the voice on: five unison copies, both oscillators, sub, fat, FM, ring
    modulation and the filter morph. */
inline std::vector<std::pair<const char*, float>> worstCaseSettings()
{
    return { { "unisonVoices", 5.0f }, { "oscALevel", 0.6f }, { "oscBLevel", 0.5f },
             { "oscAShape", 2.0f }, { "oscBShape", 4.0f }, { "subLevel", 0.4f }, { "fatAmount", 0.3f },
             { "fmAmount", 0.5f }, { "ringModAmount", 0.4f }, { "filterMorph", 0.6f }, { "attack", 0.01f } };
}

} // namespace bench
