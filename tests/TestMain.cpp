#include "plugin/UserPresetFile.h"

#include <juce_events/juce_events.h>
#include <gtest/gtest.h>

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;   // message manager for processor construction, headless

    // No test reads or writes the real user's presets: the store lives in a fresh folder.
    const auto userData = juce::File::createTempFile ("halcyra-test-userdata");
    userData.createDirectory();
    velmora::UserPresetFile::setDataRootOverride (userData);

    ::testing::InitGoogleTest (&argc, argv);
    const int result = RUN_ALL_TESTS();
    userData.deleteRecursively();
    return result;
}
