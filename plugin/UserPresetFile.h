#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <vector>

namespace velmora
{

/** One readable patch of the user preset file. */
struct UserPresetEntry
{
    juce::String name;        // trimmed, never empty
    juce::ValueTree state;    // the patch's state tree, as stored
};

/** The user preset file ("UserPatches.xml"): where it lives, how it is read leniently and how it
    is written without losing anything another instance (or an older version) put there. */
namespace UserPresetFile
{
    /** The folder that holds the store; the user's application-data folder unless overridden
        (tests point it at a temporary folder). */
    juce::File dataRoot();
    void setDataRootOverride (const juce::File& folder);

    juce::File currentFile();
    juce::File legacyFile();

    /** The current file, copied once from the legacy location when only that one exists. */
    juce::File locate();

    enum class ReadStatus { missing, unreadable, ok };

    /** Reads the patches in document order. Root and Patch tags are matched ignoring case; a
        Patch needs a non-empty "name" and a first child element that makes a valid tree. */
    ReadStatus read (const juce::File& file, std::vector<UserPresetEntry>& entries);

    /** Writes `entries` (in order), first re-reading the file so that patches this instance
        does not hold — saved by another instance, or skipped while reading — are kept (after
        ours); names in `removed` are dropped. A file that exists but is not a preset bank is
        moved aside as a backup, never overwritten. The write goes to a temporary file that
        then replaces the store. Returns false when nothing could be written. */
    bool write (const juce::File& file, const std::vector<UserPresetEntry>& entries, const juce::StringArray& removed);

    /** The name a file that could not be read is kept under, beside the store. */
    juce::File backupFileFor (const juce::File& file);
}

} // namespace velmora
