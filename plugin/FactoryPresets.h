#pragma once

#include <juce_core/juce_core.h>

#include <utility>
#include <vector>

namespace velmora
{

/** A built-in sound: an ordered list of parameter values (in each parameter's own units). */
struct FactoryPreset
{
    const char* name;
    const char* bankId;
    std::vector<std::pair<const char*, float>> values;
};

struct FactoryBankDefinition
{
    const char* id;
    const char* displayName;
};

/** The 52 factory presets in program order; built once, on first use, from any thread. */
const std::vector<FactoryPreset>& getFactoryPresets();

/** The seven banks "A" … "G"; only A and B hold presets. */
const std::vector<FactoryBankDefinition>& getFactoryBankDefinitions();

/** Trimmed and upper-cased; anything but "A" … "G" becomes "A". */
juce::String sanitiseFactoryBankId (juce::String id);

} // namespace velmora
