#include "plugin/UserPresetFile.h"
#include "TestHelpers.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace testsupport;

namespace
{
/** Each test gets an empty user data folder of its own. */
class UserPresets : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = UserPresetFile::dataRoot();
        root = juce::File::createTempFile ("halcyra-user");
        root.createDirectory();
        UserPresetFile::setDataRootOverride (root);
    }

    void TearDown() override
    {
        UserPresetFile::setDataRootOverride (previous);
        root.deleteRecursively();
    }

    juce::File store() const   { return root.getChildFile ("Marrowfen/Halcyra/UserPatches.xml"); }
    juce::File legacy() const  { return root.getChildFile ("Quenmara/Halcyra/UserPatches.xml"); }

    static juce::String patch (const juce::String& name, const juce::String& extra = {})
    {
        return "<Patch name=\"" + name + "\"><PARAMETERS currentPreset=\"5\"" + extra + "><PARAM id=\"cutoff\" value=\"777\"/></PARAMETERS></Patch>";
    }

    void writeStore (const juce::File& file, const juce::String& body, const juce::String& rootTag = "UserPresetBank")
    {
        file.getParentDirectory().createDirectory();
        ASSERT_TRUE (file.replaceWithText ("<?xml version=\"1.0\"?>\n<" + rootTag + ">" + body + "</" + rootTag + ">"));
    }

    static juce::StringArray namesOf (const VelmoraSynthAudioProcessor& proc)
    {
        juce::StringArray names;
        for (const auto& p : proc.getUserPresets())
            names.add (p.name);
        return names;
    }

    static juce::StringArray namesInFile (const juce::File& file)
    {
        juce::StringArray names;
        if (auto xml = juce::XmlDocument::parse (file))
            for (auto* p : xml->getChildIterator())
                names.add (p->getStringAttribute ("name"));
        return names;
    }

    juce::File root, previous;
};
}

TEST_F (UserPresets, FirstSaveCreatesTheStore)
{
    VelmoraSynthAudioProcessor proc;
    EXPECT_TRUE (proc.getUserPresets().empty());
    EXPECT_FALSE (store().exists());

    EXPECT_TRUE (proc.saveUserPreset ("Pad 1"));
    ASSERT_TRUE (store().existsAsFile());
    EXPECT_EQ (namesInFile (store()), juce::StringArray ({ "Pad 1" }));
    const auto xml = juce::XmlDocument::parse (store());
    EXPECT_EQ (xml->getTagName(), "UserPresetBank");
    EXPECT_EQ (xml->getFirstChildElement()->getFirstChildElement()->getTagName(), "PARAMETERS");
    EXPECT_EQ (store().getParentDirectory().findChildFiles (juce::File::findFiles, false).size(), 1);   // no temp left
}

TEST_F (UserPresets, LegacyStoreIsCopiedOnceAndKept)
{
    writeStore (legacy(), patch ("Old Pad"));
    {
        VelmoraSynthAudioProcessor proc;
        EXPECT_EQ (namesOf (proc), juce::StringArray ({ "Old Pad" }));
        EXPECT_TRUE (store().existsAsFile());
        EXPECT_TRUE (legacy().existsAsFile());
    }
    writeStore (legacy(), patch ("Older Pad"));   // both present: the legacy file is ignored
    VelmoraSynthAudioProcessor proc;
    EXPECT_EQ (namesOf (proc), juce::StringArray ({ "Old Pad" }));
}

TEST_F (UserPresets, LenientReadingTrimmingAndOrder)
{
    writeStore (store(), patch ("beta") + "<PATCH name=\"Alpha\"><PARAMETERS/></PATCH>" + patch ("gamma")
                            + "<Patch Name=\"Capital\"><PARAMETERS/></Patch>"   // not the name attribute
                            + "<Patch name=\"   \"><PARAMETERS/></Patch><Patch name=\"Childless\"/>"
                            + patch (" Warm ") + patch ("Warm") + "<Other/>",
                "userpresetbank");
    VelmoraSynthAudioProcessor proc;
    EXPECT_EQ (namesOf (proc), juce::StringArray ({ "Alpha", "beta", "gamma", "Warm", "Warm" }));
    EXPECT_EQ (proc.findUserPresetIndexByName ("warm"), 3);
    EXPECT_EQ (proc.findUserPresetIndexByName (" GAMMA "), 2);
    EXPECT_EQ (proc.findUserPresetIndexByName ("nope"), -1);
    EXPECT_EQ (proc.getUserPresets()[0].state["selectedPresetCollection"].toString(), "user");
    EXPECT_EQ (proc.getUserPresets()[0].state["selectedUserPresetName"].toString(), "Alpha");
}

TEST_F (UserPresets, SaveNamesSelectionAndOverwrite)
{
    writeStore (store(), patch ("Warm"));
    VelmoraSynthAudioProcessor proc;

    EXPECT_FALSE (proc.saveUserPreset ("   "));
    EXPECT_EQ (namesInFile (store()), juce::StringArray ({ "Warm" }));

    EXPECT_TRUE (proc.saveUserPreset (" Night "));
    EXPECT_EQ (namesOf (proc), juce::StringArray ({ "Night", "Warm" }));
    EXPECT_EQ (proc.getSelectedUserPresetIndex(), 0);
    EXPECT_EQ (proc.getParameterState().state["selectedUserPresetName"].toString(), "Night");

    setParam (proc, "cutoff", 2222.0f);
    EXPECT_TRUE (proc.saveUserPreset ("WARM"));
    EXPECT_EQ (namesOf (proc), juce::StringArray ({ "Night", "Warm" }));
    EXPECT_EQ (proc.getParameterState().state["selectedUserPresetName"].toString(), "WARM");
    EXPECT_EQ (proc.getCurrentPresetDisplayName(), "Warm");
    EXPECT_EQ (namesInFile (store()), juce::StringArray ({ "Night", "Warm" }));

    VelmoraSynthAudioProcessor reread;
    const int i = reread.findUserPresetIndexByName ("warm");
    reread.loadUserPreset (i);
    EXPECT_NEAR (reread.getParameterState().getRawParameterValue ("cutoff")->load(), 2222.0f, 0.01f);
}

TEST_F (UserPresets, LoadRestoresSoundRoutesAndProgram)
{
    VelmoraSynthAudioProcessor author;
    author.setCurrentProgram (9);
    author.setMotionRouteTarget (0, "resonance");
    author.setLfoTarget (2, "fmAmount");
    setParam (author, "cutoff", 3333.0f);
    ASSERT_TRUE (author.saveUserPreset ("Mine"));

    VelmoraSynthAudioProcessor proc;
    proc.loadUserPreset (5);   // out of range: nothing happens
    EXPECT_EQ (proc.getCurrentProgram(), 0);
    proc.loadUserPreset (0);
    EXPECT_EQ (proc.getCurrentProgram(), 9);
    EXPECT_EQ (proc.getCurrentPresetDisplayName(), "Mine");
    EXPECT_EQ (proc.getMotionRouteTarget (0), "resonance");
    EXPECT_EQ (proc.getLfoTarget (2), "fmAmount");
    EXPECT_NEAR (proc.getParameterState().getRawParameterValue ("cutoff")->load(), 3333.0f, 0.01f);
    EXPECT_EQ (proc.getParameterState().state["selectedPresetCollection"].toString(), "user");

    // Host state naming a user preset this machine has: the selection comes back as "user".
    juce::MemoryBlock saved;
    proc.getStateInformation (saved);
    VelmoraSynthAudioProcessor other;
    other.setStateInformation (saved.getData(), (int) saved.getSize());
    EXPECT_EQ (other.getSelectedUserPresetIndex(), 0);
    EXPECT_EQ (other.getCurrentPresetDisplayName(), "Mine");
}

TEST_F (UserPresets, DeletingTheOnlyPresetLeavesAnEmptyBank)
{
    VelmoraSynthAudioProcessor proc;
    proc.deleteSelectedUserPreset();   // no selection: nothing happens
    EXPECT_FALSE (store().exists());
    ASSERT_TRUE (proc.saveUserPreset ("Only"));
    proc.deleteSelectedUserPreset();
    EXPECT_TRUE (proc.getUserPresets().empty());
    const auto xml = juce::XmlDocument::parse (store());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "UserPresetBank");
    EXPECT_EQ (xml->getNumChildElements(), 0);
    EXPECT_EQ (proc.getSelectedUserPresetIndex(), -1);
    EXPECT_EQ (proc.getParameterState().state["selectedPresetCollection"].toString(), "factory");
    EXPECT_FALSE (proc.getParameterState().state.hasProperty ("selectedUserPresetName"));
}

TEST_F (UserPresets, OtherInstancesAndSkippedPatchesSurviveWrites)
{
    writeStore (store(), patch ("Shared") + "<Patch name=\"\"><PARAMETERS/></Patch><Patch name=\"NoChild\"/>");
    VelmoraSynthAudioProcessor a, b;

    ASSERT_TRUE (b.saveUserPreset ("From B"));
    ASSERT_TRUE (a.saveUserPreset ("From A"));   // a never read "From B", and must not drop it
    const auto names = namesInFile (store());
    for (const auto* n : { "From A", "From B", "Shared", "", "NoChild" })
        EXPECT_TRUE (names.contains (n)) << n;

    a.loadUserPreset (a.findUserPresetIndexByName ("From A"));
    a.deleteSelectedUserPreset();
    const auto after = namesInFile (store());
    EXPECT_FALSE (after.contains ("From A"));
    EXPECT_TRUE (after.contains ("From B"));
    EXPECT_TRUE (after.contains ("NoChild"));
}

TEST_F (UserPresets, UnreadableStoreIsKeptAsideNotOverwritten)
{
    store().getParentDirectory().createDirectory();
    const juce::String damaged = "<UserPresetBank><Patch name=\"Half";   // a file cut short
    ASSERT_TRUE (store().replaceWithText (damaged));

    VelmoraSynthAudioProcessor proc;
    EXPECT_TRUE (proc.getUserPresets().empty());
    ASSERT_TRUE (proc.saveUserPreset ("New"));

    EXPECT_EQ (namesInFile (store()), juce::StringArray ({ "New" }));
    const auto backups = store().getParentDirectory().findChildFiles (juce::File::findFiles, false, "UserPatches.unreadable-*.xml");
    ASSERT_EQ (backups.size(), 1);
    EXPECT_EQ (backups[0].loadFileAsString(), damaged);

    // A file of another kind is treated the same way.
    writeStore (store(), patch ("X"), "SomethingElse");
    VelmoraSynthAudioProcessor second;
    ASSERT_TRUE (second.saveUserPreset ("Y"));
    EXPECT_EQ (store().getParentDirectory().findChildFiles (juce::File::findFiles, false, "UserPatches.unreadable-*.xml").size(), 2);
}
