#include "UserPresetFile.h"

namespace velmora
{
namespace
{
    juce::File& rootOverride()
    {
        static juce::File folder;
        return folder;
    }

    bool sameName (const juce::String& a, const juce::String& b)
    {
        return a.trim().equalsIgnoreCase (b.trim());
    }

    std::unique_ptr<juce::XmlElement> parseBank (const juce::File& file)
    {
        auto xml = juce::XmlDocument::parse (file);
        if (xml != nullptr && xml->getTagName().equalsIgnoreCase ("UserPresetBank"))
            return xml;
        return nullptr;
    }

    juce::String patchName (const juce::XmlElement& patch)
    {
        return patch.getStringAttribute ("name").trim();
    }
}

namespace UserPresetFile
{
juce::File dataRoot()
{
    if (rootOverride() != juce::File())
        return rootOverride();
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory);
}

void setDataRootOverride (const juce::File& folder)
{
    rootOverride() = folder;
}

juce::File currentFile() { return dataRoot().getChildFile ("Marrowfen").getChildFile ("Halcyra").getChildFile ("UserPatches.xml"); }
juce::File legacyFile()  { return dataRoot().getChildFile ("Quenmara").getChildFile ("Halcyra").getChildFile ("UserPatches.xml"); }

juce::File locate()
{
    const auto current = currentFile();
    if (current.existsAsFile())
        return current;

    const auto legacy = legacyFile();
    if (legacy.existsAsFile())
    {
        current.getParentDirectory().createDirectory();
        legacy.copyFileTo (current);   // the legacy file stays where it is
    }
    return current;
}

juce::File backupFileFor (const juce::File& file)
{
    const auto stamp = juce::Time::getCurrentTime().formatted ("%Y%m%d-%H%M%S");
    return file.getSiblingFile (file.getFileNameWithoutExtension() + ".unreadable-" + stamp + file.getFileExtension())
               .getNonexistentSibling (false);
}

ReadStatus read (const juce::File& file, std::vector<UserPresetEntry>& entries)
{
    entries.clear();
    if (! file.existsAsFile())
        return ReadStatus::missing;

    const auto xml = parseBank (file);
    if (xml == nullptr)
        return ReadStatus::unreadable;

    for (auto* patch : xml->getChildIterator())
    {
        if (! patch->getTagName().equalsIgnoreCase ("Patch"))
            continue;
        const auto name = patchName (*patch);
        auto* child = patch->getFirstChildElement();
        if (name.isEmpty() || child == nullptr)
            continue;
        auto tree = juce::ValueTree::fromXml (*child);
        if (! tree.isValid())
            continue;
        entries.push_back ({ name, tree });
    }
    return ReadStatus::ok;
}

bool write (const juce::File& file, const std::vector<UserPresetEntry>& entries, const juce::StringArray& removed)
{
    juce::XmlElement bank ("UserPresetBank");
    for (const auto& e : entries)
    {
        auto* patch = bank.createNewChildElement ("Patch");
        patch->setAttribute ("name", e.name);
        if (e.state.isValid())
            if (auto stateXml = e.state.createXml())
                patch->addChildElement (stateXml.release());
    }

    if (file.exists())
    {
        if (auto onDisk = parseBank (file))
        {
            // Keep what the file holds and this list does not: other instances' saves, patches
            // this reader skipped, anything else under the root.
            for (auto* element : onDisk->getChildIterator())
            {
                if (element->getTagName().equalsIgnoreCase ("Patch"))
                {
                    const auto name = patchName (*element);
                    const bool ours = std::any_of (entries.begin(), entries.end(), [&] (const UserPresetEntry& e) { return sameName (e.name, name); });
                    const bool gone = name.isNotEmpty() && std::any_of (removed.begin(), removed.end(), [&] (const juce::String& r) { return sameName (r, name); });
                    if ((ours && name.isNotEmpty()) || gone)
                        continue;
                }
                bank.addChildElement (new juce::XmlElement (*element));
            }
        }
        else if (! file.moveFileTo (backupFileFor (file)))
        {
            return false;   // an unreadable store that cannot be kept aside is not overwritten
        }
    }

    file.getParentDirectory().createDirectory();
    return bank.writeTo (file);
}
}

} // namespace velmora
