#include "AllocationCounter.h"
#include "engine/EffectsChain.h"

#include <gtest/gtest.h>

using velmora::EffectsChain;
using velmora::FxRenderConfig;

namespace
{
constexpr double rate = 48000.0;

/** The record as the block driver fills it (defaults for the parameters it reads). */
FxRenderConfig driverRecord()
{
    FxRenderConfig c;
    c.delayTimeMs = 420.0f;
    c.delayTone = 0.62f;
    c.reverbSize = 0.48f;
    c.reverbDecay = 0.52f;
    c.reverbPreDelayMs = 28.0f;
    c.tapeWow = 0.08f;
    c.tapeFlutter = 0.1f;
    c.outputSaturation = 0.16f;
    c.vintageAmount = 0.22f;
    return c;
}

/** The tape stage at its plainest: a fixed 7-sample delay and tanh(y)/tanh(1). */
FxRenderConfig plainTape()
{
    FxRenderConfig c;
    return c;
}

juce::AudioBuffer<float> noise (int channels, int n, int seed = 1)
{
    juce::Random r (seed);
    juce::AudioBuffer<float> b (channels, n);
    for (int ch = 0; ch < channels; ++ch)
        for (int i = 0; i < n; ++i)
            b.setSample (ch, i, 0.8f * (2.0f * r.nextFloat() - 1.0f));
    return b;
}

juce::AudioBuffer<float> impulse (int channels, int n, float height = 0.5f)
{
    juce::AudioBuffer<float> b (channels, n);
    b.clear();
    for (int ch = 0; ch < channels; ++ch)
        b.setSample (ch, 0, height);
    return b;
}

/** Index of the largest magnitude of channel ch from sample `from` on. */
int peakIndex (const juce::AudioBuffer<float>& b, int ch, int from)
{
    int best = from;
    for (int i = from; i < b.getNumSamples(); ++i)
        if (std::abs (b.getSample (ch, i)) > std::abs (b.getSample (ch, best)))
            best = i;
    return best;
}
}

TEST (Effects, DriverRecordLeavesOnlyTheTapeStage)
{
    EffectsChain full, tapeOnly;
    full.prepare (rate, 2, 512);
    tapeOnly.prepare (rate, 2, 512);

    for (int b = 0; b < 20; ++b)
    {
        auto x = noise (2, 512, b), y = x;
        full.process (x, driverRecord());
        tapeOnly.processTape (y, driverRecord());
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 512; ++i)
                ASSERT_EQ (x.getSample (ch, i), y.getSample (ch, i));
    }
}

TEST (Effects, TapeAtRestIsASevenSampleDelayIntoNormalisedTanh)
{
    EffectsChain chain;
    chain.prepare (rate, 2, 256);
    auto in = noise (2, 256);
    auto out = in;
    chain.processTape (out, plainTape());

    for (int ch = 0; ch < 2; ++ch)
    {
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ (out.getSample (ch, i), 0.0f);
        for (int i = 7; i < 256; ++i)
            ASSERT_NEAR (out.getSample (ch, i), std::tanh (in.getSample (ch, i - 7)) / std::tanh (1.0f), 1e-6f);
    }

    auto full = impulse (1, 16, 1.0f);   // full scale stays full scale
    EffectsChain mono;
    mono.prepare (rate, 1, 16);
    mono.processTape (full, plainTape());
    EXPECT_NEAR (full.getSample (0, 7), 1.0f, 1e-6f);
}

TEST (Effects, DelayLengthsInSamples)
{
    struct Case { float ms; int samples; };
    const Case cases[] = { { 0.0f, 1 }, { 10.0f, 480 }, { 420.0f, 20160 }, { 5000.0f, 191999 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.ms);
        EffectsChain chain;
        chain.prepare (rate, 1, 512);
        FxRenderConfig cfg;
        cfg.delayTimeMs = c.ms;
        cfg.delayMix = 1.0f;
        cfg.delayTone = 1.0f;
        EXPECT_EQ (chain.delaySamplesFor (cfg), c.samples);

        // Through the real loop: an impulse comes back exactly d samples later (before the tape).
        const int n = c.samples + 64;
        auto x = impulse (1, n);
        chain.process (x, cfg);
        EXPECT_EQ (peakIndex (x, 0, 8), c.samples + 7);   // the dry impulse sits at 7
    }
}

TEST (Effects, CrusherLevelsHoldCountsAndMonoBlocks)
{
    EffectsChain chain;
    chain.prepare (rate, 2, 64);
    FxRenderConfig cfg;
    cfg.bitDepth = 4.0f;          // 15 levels
    cfg.sampleRateReduce = 4.0f;  // each value held for 4 samples

    juce::AudioBuffer<float> ramp (2, 64);
    for (int i = 0; i < 64; ++i)
    {
        ramp.setSample (0, i, -1.0f + 2.0f * (float) i / 63.0f);
        ramp.setSample (1, i, 0.3f);
    }

    // Undo the tape stage to look at the crusher alone: tanh is monotonic, so invert it.
    auto out = ramp;
    chain.process (out, cfg);
    auto crushed = [&] (int ch, int i) { return std::atanh (out.getSample (ch, i + 7) * std::tanh (1.0f)); };

    auto q = [] (float x) { return std::round ((0.5f * x + 0.5f) * 15.0f) / 15.0f * 2.0f - 1.0f; };
    for (int i = 0; i < 56; ++i)
    {
        EXPECT_NEAR (crushed (0, i), q (ramp.getSample (0, i - i % 4)), 1e-4f) << i;
        EXPECT_NEAR (crushed (1, i), q (0.3f), 1e-4f);
    }

    // One channel: the left value is held for both held samples, and only channel 0 is written.
    EffectsChain monoChain;
    monoChain.prepare (rate, 1, 64);
    juce::AudioBuffer<float> mono (1, 64);
    for (int i = 0; i < 64; ++i)
        mono.setSample (0, i, ramp.getSample (0, i));
    monoChain.process (mono, cfg);
    for (int i = 0; i < 56; ++i)
        EXPECT_NEAR (std::atanh (mono.getSample (0, i + 7) * std::tanh (1.0f)), q (ramp.getSample (0, i - i % 4)), 1e-4f);
}

TEST (Effects, ReverbSendIsPreDelayedAndHighPassed)
{
    EffectsChain chain;
    chain.prepare (rate, 2, 4800);
    FxRenderConfig cfg;
    cfg.reverbMix = 0.5f;
    cfg.reverbSize = 0.6f;
    cfg.reverbDecay = 0.5f;
    cfg.reverbPreDelayMs = 20.0f;   // 960 samples

    auto x = impulse (2, 4800);
    chain.process (x, cfg);
    const float dryGain = 1.0f - 0.09f * 0.5f;
    // Before the pre-delay has passed only the (scaled) dry impulse is there.
    EXPECT_NEAR (std::atanh (x.getSample (0, 7) * std::tanh (1.0f)), 0.5f * dryGain, 1e-4f);
    for (int i = 8; i < 960 + 7; ++i)
        ASSERT_EQ (x.getSample (0, i), 0.0f) << i;
    EXPECT_GT (x.getMagnitude (0, 960 + 7, 4800 - 967), 1e-4f);

    // A constant input: the wet part is high-passed away, leaving the scaled dry signal.
    EffectsChain dc;
    dc.prepare (rate, 2, 4800);
    juce::AudioBuffer<float> c (2, 4800);
    float last = 0.0f;
    for (int b = 0; b < 40; ++b)
    {
        for (int ch = 0; ch < 2; ++ch)
            juce::FloatVectorOperations::fill (c.getWritePointer (ch), 0.4f, 4800);
        dc.process (c, cfg);
        last = std::atanh (c.getSample (0, 4799) * std::tanh (1.0f));
    }
    EXPECT_NEAR (last, 0.4f * dryGain, 2e-3f);
}

TEST (Effects, EveryStageClampsItsOutput)
{
    FxRenderConfig cfg = driverRecord();
    cfg.delayMix = 1.0f;
    cfg.delayFeedback = 0.95f;
    cfg.reverbMix = 1.0f;
    cfg.bitDepth = 6.0f;
    cfg.sampleRateReduce = 3.0f;
    cfg.lofiAmount = 1.0f;
    cfg.outputSaturation = 1.0f;
    cfg.leftOpen = 1.0f;

    EffectsChain chain;
    chain.prepare (rate, 2, 512);
    for (int b = 0; b < 50; ++b)
    {
        auto x = noise (2, 512, b);
        x.applyGain (20.0f);
        chain.process (x, cfg);
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 512; ++i)
                ASSERT_TRUE (std::abs (x.getSample (ch, i)) <= 1.0f);
    }
}

TEST (Effects, EmptyBlocksChangeNothingAndPrepareResizes)
{
    FxRenderConfig cfg = driverRecord();
    cfg.delayMix = 0.4f;
    cfg.reverbMix = 0.3f;
    cfg.bitDepth = 10.0f;

    EffectsChain a, b;
    a.prepare (rate, 2, 512);
    b.prepare (rate, 2, 512);
    juce::AudioBuffer<float> empty (2, 0);
    for (int i = 0; i < 6; ++i)
    {
        auto x = noise (2, 512, i), y = x;
        a.process (x, cfg);
        b.process (empty, cfg);
        b.process (y, cfg);
        for (int ch = 0; ch < 2; ++ch)
            for (int s = 0; s < 512; ++s)
                ASSERT_EQ (x.getSample (ch, s), y.getSample (ch, s));
    }

    a.prepare (96000.0, 1, 1024);
    EXPECT_EQ (a.getNumChannels(), 1);
    EXPECT_EQ (a.getDelayLength(), 384000);
    EXPECT_EQ (a.getTapeLength(), 11520);
    EXPECT_EQ (a.getPreDelayLength(), 48000);
    auto wide = noise (3, 1024);   // more channels than prepared: the extra one is left alone
    const auto third = wide.getSample (2, 100);
    a.process (wide, cfg);
    EXPECT_EQ (wide.getSample (2, 100), third);

    EffectsChain unprepared;   // before prepare the tape line is empty: the block is untouched
    auto z = noise (2, 64);
    const auto before = z.getSample (0, 10);
    unprepared.process (z, driverRecord());
    EXPECT_EQ (z.getSample (0, 10), before);
}

TEST (Effects, ProcessAllocatesNothingUpToThePreparedBlockSize)
{
    FxRenderConfig cfg = driverRecord();
    cfg.delayMix = 0.4f;
    cfg.reverbMix = 0.3f;
    cfg.bitDepth = 10.0f;
    cfg.sampleRateReduce = 2.0f;

    EffectsChain chain;
    chain.prepare (rate, 2, 512);
    std::vector<juce::AudioBuffer<float>> blocks;
    for (int n : { 512, 1, 100, 511, 512, 37 })
        blocks.push_back (noise (2, n, n));

    testsupport::AllocationCounter counter;
    for (auto& b : blocks)
        chain.process (b, cfg);
    EXPECT_EQ (counter.count(), 0u);
}
