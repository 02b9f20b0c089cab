// Programs (the factory presets), the extended state properties on the parameter tree, the
// snapshot the host and the user store keep, and host save and restore.

#include "FactoryPresets.h"
#include "PluginProcessor.h"
#include "RoutingDefaults.h"

using namespace velmora;

namespace
{
const juce::Identifier currentPresetId ("currentPreset");
const juce::Identifier collectionId ("selectedPresetCollection");
const juce::Identifier bankId ("selectedFactoryBank");
const juce::Identifier artworkId ("customArtworkPath");
const juce::Identifier userNameId ("selectedUserPresetName");

bool isFactoryIndex (int index) { return juce::isPositiveAndBelow (index, (int) getFactoryPresets().size()); }

juce::String bankOfPreset (int index)
{
    return isFactoryIndex (index) ? sanitiseFactoryBankId (getFactoryPresets()[(size_t) index].bankId) : juce::String ("A");
}
}

//==============================================================================
int VelmoraSynthAudioProcessor::getNumPrograms()
{
    return (int) getFactoryPresets().size();
}

const juce::String VelmoraSynthAudioProcessor::getProgramName (int index)
{
    return isFactoryIndex (index) ? juce::String (getFactoryPresets()[(size_t) index].name) : juce::String();
}

void VelmoraSynthAudioProcessor::applyFactoryPreset (int index)
{
    // Everything a preset does not list ends at its default, never at its previous value.
    for (auto* p : parameters)
    {
        p->beginChangeGesture();
        p->setValueNotifyingHost (p->getDefaultValue());
        p->endChangeGesture();
    }

    for (const auto& [id, value] : getFactoryPresets()[(size_t) index].values)
        if (auto* p = parameterState.getParameter (id))
        {
            p->beginChangeGesture();
            p->setValueNotifyingHost (p->convertTo0to1 (value));
            p->endChangeGesture();
        }
}

void VelmoraSynthAudioProcessor::setCurrentProgram (int index)
{
    currentProgram = juce::jlimit (0, getNumPrograms() - 1, index);
    applyFactoryPreset (currentProgram);
    selectedUserPresetIndex = -1;

    auto& state = parameterState.state;
    state.setProperty (currentPresetId, currentProgram, nullptr);
    state.setProperty (collectionId, "factory", nullptr);
    state.setProperty (bankId, bankOfPreset (currentProgram), nullptr);
    state.removeProperty (userNameId, nullptr);
}

//==============================================================================
void VelmoraSynthAudioProcessor::ensureExtendedStateProperties (juce::ValueTree& tree) const
{
    auto addIfMissing = [&tree] (const juce::Identifier& name, const juce::var& value) {
        if (! tree.hasProperty (name))
            tree.setProperty (name, value, nullptr);
    };

    addIfMissing (currentPresetId, 0);
    addIfMissing (collectionId, "factory");
    if (! tree.hasProperty (bankId))
    {
        const int index = tree.hasProperty (currentPresetId) ? (int) tree[currentPresetId] : 0;
        tree.setProperty (bankId, bankOfPreset (index), nullptr);
    }
    addIfMissing (artworkId, juce::var());

    for (int i = 0; i < ModulationRouting::numMotionRoutes; ++i)
    {
        addIfMissing (motionTargetPropertyNameForIndex (i), motionRouteDefaults[i].target);
        addIfMissing (motionDepthPropertyNameForIndex (i), (double) motionRouteDefaults[i].depth);
    }
    for (int k = 0; k < ModulationRouting::numLfos; ++k)
        addIfMissing (lfoTargetPropertyNameForIndex (k), lfoDefaults[k].target);
}

void VelmoraSynthAudioProcessor::restoreExtendedStateProperties()
{
    auto& state = parameterState.state;

    currentProgram = juce::jlimit (0, getNumPrograms() - 1, state.hasProperty (currentPresetId) ? (int) state[currentPresetId] : currentProgram);
    const auto bank = state.hasProperty (bankId) ? sanitiseFactoryBankId (state[bankId].toString()) : bankOfPreset (currentProgram);
    state.setProperty (bankId, bank, nullptr);

    // Texts are taken as stored: a target that names no parameter simply moves nothing.
    for (int i = 0; i < ModulationRouting::numMotionRoutes; ++i)
    {
        const auto targetName = motionTargetPropertyNameForIndex (i);
        const auto depthName = motionDepthPropertyNameForIndex (i);
        routing.setMotionRouteTarget (i, state.hasProperty (targetName) ? state[targetName].toString() : juce::String (motionRouteDefaults[i].target), false);
        const double depth = state.hasProperty (depthName) ? (double) state[depthName] : (double) motionRouteDefaults[i].depth;
        routing.setMotionRouteDepth (i, (float) depth);
    }
    for (int k = 0; k < ModulationRouting::numLfos; ++k)
    {
        const auto name = lfoTargetPropertyNameForIndex (k);
        routing.setLfoTarget (k, state.hasProperty (name) ? state[name].toString() : juce::String (lfoDefaults[k].target), false);
    }

    selectedUserPresetIndex = -1;
    const auto collection = state.hasProperty (collectionId) ? state[collectionId].toString() : juce::String ("factory");
    if (collection == "user")
    {
        selectedUserPresetIndex = findUserPresetIndexByName (state[userNameId].toString());
        if (selectedUserPresetIndex >= 0)
            return;
    }

    state.setProperty (collectionId, "factory", nullptr);
    state.removeProperty (userNameId, nullptr);
}

juce::ValueTree VelmoraSynthAudioProcessor::createPresetStateSnapshot (const juce::String& collection, const juce::String& userPresetName)
{
    auto copy = parameterState.copyState();   // flushes every value into the tree under its lock
    ensureExtendedStateProperties (copy);

    const auto& live = parameterState.state;
    copy.setProperty (currentPresetId, currentProgram, nullptr);
    copy.setProperty (collectionId, collection.isEmpty() ? juce::String ("factory") : collection, nullptr);
    copy.setProperty (bankId, live.hasProperty (bankId) ? live[bankId].toString() : bankOfPreset (currentProgram), nullptr);
    copy.setProperty (artworkId, live[artworkId].toString().trim(), nullptr);

    if (userPresetName.trim().isNotEmpty())
        copy.setProperty (userNameId, userPresetName.trim(), nullptr);
    else
        copy.removeProperty (userNameId, nullptr);

    for (int i = 0; i < ModulationRouting::numMotionRoutes; ++i)
    {
        copy.setProperty (motionTargetPropertyNameForIndex (i), routing.getMotionRouteTarget (i), nullptr);
        copy.setProperty (motionDepthPropertyNameForIndex (i), (double) routing.getMotionRouteDepth (i), nullptr);
    }
    for (int k = 0; k < ModulationRouting::numLfos; ++k)
        copy.setProperty (lfoTargetPropertyNameForIndex (k), routing.getLfoTarget (k), nullptr);

    return copy;
}

void VelmoraSynthAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    const auto& live = parameterState.state;
    const auto collection = live.hasProperty (collectionId) ? live[collectionId].toString() : juce::String ("factory");
    const auto snapshot = createPresetStateSnapshot (collection, live[userNameId].toString());

    destData.reset();
    if (auto xml = snapshot.createXml())
        copyXmlToBinary (*xml, destData);
}

void VelmoraSynthAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // JUCE's reader checks the size, the magic and the length field; bad bytes change nothing.
    const auto xml = data != nullptr ? getXmlFromBinary (data, sizeInBytes) : nullptr;
    if (xml == nullptr)
        return;

    const auto tree = juce::ValueTree::fromXml (*xml);
    if (! tree.isValid())
        return;

    parameterState.replaceState (tree);
    ensureExtendedStateProperties (parameterState.state);
    restoreExtendedStateProperties();
}

//==============================================================================
juce::String VelmoraSynthAudioProcessor::getCurrentPresetDisplayName() const
{
    if (juce::isPositiveAndBelow (selectedUserPresetIndex, (int) userPresets.size()))
        return userPresets[(size_t) selectedUserPresetIndex].name;
    if (isFactoryIndex (currentProgram))
        return getFactoryPresets()[(size_t) currentProgram].name;
    return "Halcyra";
}

void VelmoraSynthAudioProcessor::setCustomArtworkPath (const juce::String& path)
{
    parameterState.state.setProperty (artworkId, path.trim(), nullptr);
}

juce::StringArray VelmoraSynthAudioProcessor::getFactoryBankIds() const
{
    juce::StringArray ids;
    for (const auto& bank : getFactoryBankDefinitions())
        ids.add (bank.id);
    return ids;
}

juce::String VelmoraSynthAudioProcessor::getFactoryBankDisplayName (const juce::String& id) const
{
    const auto bank = sanitiseFactoryBankId (id);
    for (const auto& b : getFactoryBankDefinitions())
        if (bank == b.id)
            return b.displayName;
    return {};
}

juce::String VelmoraSynthAudioProcessor::getSelectedFactoryBank() const
{
    const auto& state = parameterState.state;
    return sanitiseFactoryBankId (state.hasProperty (bankId) ? state[bankId].toString() : juce::String ("A"));
}

void VelmoraSynthAudioProcessor::setSelectedFactoryBank (const juce::String& id)
{
    parameterState.state.setProperty (bankId, sanitiseFactoryBankId (id), nullptr);
}

juce::Array<int> VelmoraSynthAudioProcessor::getFactoryPresetIndicesForBank (const juce::String& id) const
{
    const auto bank = sanitiseFactoryBankId (id);
    juce::Array<int> indices;
    const auto& presets = getFactoryPresets();
    for (size_t i = 0; i < presets.size(); ++i)
        if (bank == presets[i].bankId)
            indices.add ((int) i);
    return indices;
}
