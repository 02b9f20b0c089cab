#include "TestHelpers.h"

#include <gtest/gtest.h>

using namespace testsupport;
using velmora::MotionState;

namespace
{
float normalised (VelmoraSynthAudioProcessor& proc, const char* id, float value)
{
    return proc.getParameterState().getParameter (id)->convertTo0to1 (value);
}

float fromNormalised (VelmoraSynthAudioProcessor& proc, const char* id, float v)
{
    return proc.getParameterState().getParameter (id)->convertFrom0to1 (v);
}

void silenceRoutes (VelmoraSynthAudioProcessor& proc)
{
    for (int i = 0; i < 10; ++i)
        proc.setMotionRouteDepth (i, 0.0f);
}
}

TEST (Modulation, DefaultRoutingAndTargetList)
{
    VelmoraSynthAudioProcessor proc;
    EXPECT_EQ (proc.getMotionRouteTarget (0), "cutoff");
    EXPECT_FLOAT_EQ (proc.getMotionRouteDepth (0), 0.82f);
    EXPECT_EQ (proc.getMotionRouteTarget (4), "");
    EXPECT_FLOAT_EQ (proc.getMotionRouteDepth (4), 1.0f);
    EXPECT_EQ (proc.getLfoTarget (6), "filterMorph");
    EXPECT_EQ (proc.getParameterState().state.getProperty ("lfoRoute6Target").toString(), "filterMorph");

    const auto& choices = VelmoraSynthAudioProcessor::getMotionTargetChoicesInternal();
    ASSERT_EQ (choices.size(), 47u);
    EXPECT_STREQ (choices[0].label, "None");
    EXPECT_STREQ (choices[18].parameterId, "spectralTilt");
    EXPECT_STREQ (choices[18].label, "Tone | Bloom");
    EXPECT_STREQ (choices[46].parameterId, "mirrorDelayMs");
    for (size_t i = 1; i < choices.size(); ++i)
        EXPECT_GE (velmora::findParameterIndex (choices[i].parameterId), 0) << choices[i].parameterId;

    EXPECT_EQ (VelmoraSynthAudioProcessor::motionTargetPropertyNameForIndex (3), "motionRoute3Target");
    EXPECT_EQ (VelmoraSynthAudioProcessor::motionDepthPropertyNameForIndex (3), "motionRoute3Depth");
    EXPECT_EQ (VelmoraSynthAudioProcessor::lfoTargetPropertyNameForIndex (7), "lfoRoute7Target");
    EXPECT_EQ (VelmoraSynthAudioProcessor::lfoTargetPropertyNameForIndex (-1), "lfoRoute-1Target");
}

TEST (Modulation, EffectiveValues)
{
    VelmoraSynthAudioProcessor proc;
    MotionState rest;

    // All depths 0: every value is its own, snapped to its step.
    silenceRoutes (proc);
    setParam (proc, "cutoff", 1234.567f);
    EXPECT_FLOAT_EQ (proc.getEffectiveParameterValue ("cutoff", rest), fromNormalised (proc, "cutoff", normalised (proc, "cutoff", 1234.567f)));
    EXPECT_EQ (proc.getEffectiveParameterValue ("noSuchParameter", rest), 0.0f);

    // Left palm X at 1 with depth 0.82 on a cutoff at normalised 0.5 gives normalised 0.91.
    proc.setMotionRouteDepth (0, 0.82f);
    setParam (proc, "cutoff", fromNormalised (proc, "cutoff", 0.5f));
    MotionState palm;
    palm.left.palmX = 1.0f;
    EXPECT_NEAR (proc.getEffectiveParameterValue ("cutoff", palm), fromNormalised (proc, "cutoff", 0.91f), 0.05f);

    // A gate route adds +depth/2 while on and −depth/2 while off.
    proc.setMotionRouteTarget (4, "shimmer");
    proc.setMotionRouteDepth (4, 1.0f);
    setParam (proc, "shimmer", 0.5f);
    MotionState gateOn;
    gateOn.left.gate = true;
    EXPECT_FLOAT_EQ (proc.getEffectiveParameterValue ("shimmer", gateOn), 1.0f);
    EXPECT_FLOAT_EQ (proc.getEffectiveParameterValue ("shimmer", rest), 0.0f);

    // Two routes on one target add before the single limit: +0.5·0.6 + (−0.5)·0.4 on 0.3.
    proc.setMotionRouteDepth (4, 0.6f);
    proc.setMotionRouteTarget (9, "  shimmer ");   // stored trimmed, and matches
    EXPECT_EQ (proc.getMotionRouteTarget (9), "shimmer");
    proc.setMotionRouteDepth (9, 0.4f);
    setParam (proc, "shimmer", 0.3f);
    EXPECT_NEAR (proc.getEffectiveParameterValue ("shimmer", gateOn), 0.3f + 0.3f - 0.2f, 1e-5f);
    setParam (proc, "shimmer", 0.9f);
    MotionState bothOn = gateOn;
    bothOn.right.gate = true;
    EXPECT_FLOAT_EQ (proc.getEffectiveParameterValue ("shimmer", bothOn), 1.0f);   // 0.9 + 0.3 + 0.2, limited

    // Out-of-range setters change nothing; depths are limited.
    proc.setMotionRouteTarget (10, "cutoff");
    proc.setLfoTarget (-1, "cutoff");
    proc.setMotionRouteDepth (1, 1.7f);
    EXPECT_FLOAT_EQ (proc.getMotionRouteDepth (1), 1.0f);
    proc.setMotionRouteDepth (1, -0.2f);
    EXPECT_FLOAT_EQ (proc.getMotionRouteDepth (1), 0.0f);
    EXPECT_FALSE (proc.getParameterState().state.hasProperty ("motionRoute10Target"));

    // A target outside the offered list still modulates; one naming nothing does nothing.
    proc.setMotionRouteTarget (5, "delayTone");
    proc.setMotionRouteDepth (5, 1.0f);
    setParam (proc, "delayTone", 0.5f);
    MotionState right;
    right.right.palmX = 0.8f;
    EXPECT_NEAR (proc.getEffectiveParameterValue ("delayTone", right), 0.8f, 1e-5f);
    proc.setMotionRouteTarget (5, "Cutoff");
    EXPECT_NEAR (proc.getEffectiveParameterValue ("cutoff", right), fromNormalised (proc, "cutoff", 0.5f), 0.01f);
}

TEST (Modulation, SquareLfoHoldsTheTargetAtTheEnds)
{
    ProcessorRig rig (48000.0, 480);
    auto& proc = rig.proc;
    silenceRoutes (proc);
    proc.setLfoTarget (3, "resonance");   // LFO 4: square
    setParam (proc, "lfo4Rate", 1.0f);
    setParam (proc, "lfo4Depth", 1.0f);
    setParam (proc, "resonance", fromNormalised (proc, "resonance", 0.5f));

    MotionState rest;
    int highs = 0, lows = 0;
    for (int b = 0; b < 100; ++b)   // one second in 10 ms steps
    {
        rig.block();
        const float v = proc.getEffectiveParameterValue ("resonance", rest);
        const double phase = proc.getLfoBank().phase (3);
        if (phase < 3.14159)
        {
            EXPECT_FLOAT_EQ (v, 1.0f) << "phase " << phase;
            ++highs;
        }
        else if (phase > 3.1417)
        {
            EXPECT_FLOAT_EQ (v, 0.1f) << "phase " << phase;
            ++lows;
        }
    }
    EXPECT_GT (highs, 40);
    EXPECT_GT (lows, 40);
}

TEST (Modulation, RouteAndLfoOnOneTargetAreSummedThenLimitedOnce)
{
    ProcessorRig rig (48000.0, 12000);   // a quarter period of a 1 Hz LFO per block
    auto& proc = rig.proc;
    silenceRoutes (proc);
    proc.setLfoTarget (0, "spread");      // LFO 1: sine, 0.75 after a quarter period
    setParam (proc, "lfo1Rate", 1.0f);
    setParam (proc, "lfo1Depth", 0.8f);
    proc.setMotionRouteTarget (5, "spread");
    proc.setMotionRouteDepth (5, 0.5f);
    setParam (proc, "spread", 0.4f);
    rig.block();
    ASSERT_NEAR (proc.getLfoBank().value (0), 1.0f, 1e-4f);

    MotionState m;
    m.right.palmX = 0.1f;                 // route: −0.2; LFO: +0.4
    EXPECT_NEAR (proc.getEffectiveParameterValue ("spread", m), 0.6f, 1e-3f);
    m.right.palmX = 1.0f;                 // route: +0.25, LFO +0.4: 1.05, limited to 1
    EXPECT_FLOAT_EQ (proc.getEffectiveParameterValue ("spread", m), 1.0f);
}
