#include "StateFiles.h"

#include "plugin/PluginProcessor.h"

namespace halcyra
{

bool loadStateFile (const juce::String& source, VelmoraSynthAudioProcessor& processor, juce::String& error)
{
    const auto path = source.upToLastOccurrenceOf ("#", false, false);
    const auto patchName = source.containsChar ('#') ? source.fromLastOccurrenceOf ("#", false, false).trim() : juce::String();
    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (source.containsChar ('#') ? path : source);

    juce::MemoryBlock bytes;
    if (! file.existsAsFile() || ! file.loadFileAsData (bytes))
    {
        error = "state file not found or unreadable: " + file.getFullPathName();
        return false;
    }

    std::unique_ptr<juce::XmlElement> xml;
    if (bytes.getSize() > 8 && bytes.matches ("VC2!", 4))
        xml = juce::AudioProcessor::getXmlFromBinary (bytes.getData(), (int) bytes.getSize());
    else
        xml = juce::parseXML (bytes.toString());

    if (xml == nullptr)
    {
        error = file.getFileName() + " is neither host state nor a state or preset XML file";
        return false;
    }

    if (xml->getTagName().equalsIgnoreCase ("UserPresetBank"))
    {
        const juce::XmlElement* chosen = nullptr;
        juce::StringArray names;
        for (auto* patch : xml->getChildIterator())
        {
            if (! patch->getTagName().equalsIgnoreCase ("Patch") || patch->getFirstChildElement() == nullptr)
                continue;
            const auto name = patch->getStringAttribute ("name").trim();
            names.add (name);
            if (chosen == nullptr && (patchName.isEmpty() || name.equalsIgnoreCase (patchName)))
                chosen = patch->getFirstChildElement();
        }
        if (chosen == nullptr)
        {
            error = patchName.isEmpty() ? "no patch in " + file.getFileName()
                                        : "no patch named '" + patchName + "' in " + file.getFileName() + " (it has: " + names.joinIntoString (", ") + ")";
            return false;
        }
        xml = std::make_unique<juce::XmlElement> (*chosen);
    }

    juce::MemoryBlock state;
    juce::AudioProcessor::copyXmlToBinary (*xml, state);
    processor.setStateInformation (state.getData(), (int) state.getSize());
    return true;
}

int findFactoryPreset (VelmoraSynthAudioProcessor& processor, const juce::String& text)
{
    const auto t = text.trim();
    if (t.isNotEmpty() && t.containsOnly ("0123456789"))
    {
        const int index = t.getIntValue();
        return index < processor.getNumPrograms() ? index : -1;
    }
    for (int i = 0; i < processor.getNumPrograms(); ++i)
        if (processor.getProgramName (i).equalsIgnoreCase (t))
            return i;
    return -1;
}

} // namespace halcyra
