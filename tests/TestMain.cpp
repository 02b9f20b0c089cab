#include <juce_events/juce_events.h>
#include <gtest/gtest.h>

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;   // message manager for processor construction, headless
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
