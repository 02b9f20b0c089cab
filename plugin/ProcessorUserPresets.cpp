// The user preset store as the processor offers it: a sorted list read once, and saves and
// deletes that rewrite the file without losing what other instances keep there.

#include "PluginProcessor.h"
#include "UserPresetFile.h"

using namespace velmora;

namespace
{
void sortByName (std::vector<VelmoraSynthAudioProcessor::UserPreset>& list)
{
    std::stable_sort (list.begin(), list.end(), [] (const auto& a, const auto& b) { return a.name.compareIgnoreCase (b.name) < 0; });
}
}

juce::File VelmoraSynthAudioProcessor::getUserPresetStoreFile()
{
    return UserPresetFile::locate();
}

void VelmoraSynthAudioProcessor::loadUserPresetsFromDisk()
{
    userPresets.clear();

    std::vector<UserPresetEntry> entries;
    if (UserPresetFile::read (getUserPresetStoreFile(), entries) != UserPresetFile::ReadStatus::ok)
        return;

    for (auto& e : entries)
    {
        auto tree = e.state.createCopy();
        ensureExtendedStateProperties (tree);
        tree.setProperty ("selectedPresetCollection", "user", nullptr);
        tree.setProperty ("selectedUserPresetName", e.name, nullptr);
        userPresets.push_back ({ e.name, tree });
    }
    sortByName (userPresets);
}

int VelmoraSynthAudioProcessor::findUserPresetIndexByName (const juce::String& name) const
{
    const auto wanted = name.trim();
    for (size_t i = 0; i < userPresets.size(); ++i)
        if (userPresets[i].name.trim().equalsIgnoreCase (wanted))
            return (int) i;
    return -1;
}

void VelmoraSynthAudioProcessor::loadUserPreset (int index)
{
    if (! juce::isPositiveAndBelow (index, (int) userPresets.size()))
        return;

    parameterState.replaceState (userPresets[(size_t) index].state.createCopy());
    ensureExtendedStateProperties (parameterState.state);
    restoreExtendedStateProperties();

    selectedUserPresetIndex = index;
    parameterState.state.setProperty ("selectedPresetCollection", "user", nullptr);
    parameterState.state.setProperty ("selectedUserPresetName", userPresets[(size_t) index].name, nullptr);
}

bool VelmoraSynthAudioProcessor::saveUserPreset (const juce::String& name)
{
    const auto n = name.trim();
    if (n.isEmpty())
        return false;

    const auto snapshot = createPresetStateSnapshot ("user", n);
    const int existing = findUserPresetIndexByName (n);
    if (existing >= 0)
        userPresets[(size_t) existing].state = snapshot;   // keeps its own spelling of the name
    else
        userPresets.push_back ({ n, snapshot });

    sortByName (userPresets);
    selectedUserPresetIndex = findUserPresetIndexByName (n);
    parameterState.state.setProperty ("selectedPresetCollection", "user", nullptr);
    parameterState.state.setProperty ("selectedUserPresetName", n, nullptr);

    writeUserPresetStore ({});
    return selectedUserPresetIndex >= 0;
}

void VelmoraSynthAudioProcessor::deleteSelectedUserPreset()
{
    if (! juce::isPositiveAndBelow (selectedUserPresetIndex, (int) userPresets.size()))
        return;

    const auto removed = userPresets[(size_t) selectedUserPresetIndex].name;
    userPresets.erase (userPresets.begin() + selectedUserPresetIndex);
    writeUserPresetStore ({ removed });

    selectedUserPresetIndex = -1;
    parameterState.state.setProperty ("selectedPresetCollection", "factory", nullptr);
    parameterState.state.removeProperty ("selectedUserPresetName", nullptr);
}

void VelmoraSynthAudioProcessor::writeUserPresetStore (const juce::StringArray& removedNames)
{
    std::vector<UserPresetEntry> entries;
    entries.reserve (userPresets.size());
    for (const auto& p : userPresets)
        entries.push_back ({ p.name, p.state });

    UserPresetFile::write (getUserPresetStoreFile(), entries, removedNames);   // a failed write is silent
}
