#include "PadSynthVoice.h"
#include "Waveshapes.h"

#include <algorithm>
#include <cmath>

namespace velmora
{

PadSynthVoice::PadSynthVoice()
{
    sizeSources (512);
    setRenderConfig (config);
    initialiseVoiceState();
}

bool PadSynthVoice::canPlaySound (juce::SynthesiserSound* sound)
{
    return dynamic_cast<PadSynthSound*> (sound) != nullptr;
}

void PadSynthVoice::sizeSources (int capacity)
{
    // Whole runs of 64, so that pieces of a longer call keep the filters' 8-sample rhythm.
    const auto size = (size_t) ((juce::jmax (capacity, 512) + 63) / 64 * 64);
    sourceL.assign (size, 0.0f);
    sourceR.assign (size, 0.0f);
    sourceEnv.assign (size / 8, 0.0f);
    sourceFrequency.assign (size / 8, 0.0f);
}

void PadSynthVoice::prepare (double newSampleRate, int maximumBlockSize)
{
    sizeSources (maximumBlockSize);

    sampleRate = newSampleRate;
    envelope.setSampleRate (newSampleRate);   // rates follow at the next setRenderConfig

    for (auto& f : filters)
        f.prepare (newSampleRate);

    filters[filterL].setType (TptFilter::Type::lowpass);
    filters[filterR].setType (TptFilter::Type::lowpass);
    filters[morphFilterL].setType (TptFilter::Type::bandpass);
    filters[morphFilterR].setType (TptFilter::Type::bandpass);
}

void PadSynthVoice::setRenderConfig (const VoiceRenderConfig& newConfig) noexcept
{
    config = newConfig;

    LinearEnvelope::Settings s;
    s.attack  = juce::jmax (config.attack, 0.001f);
    s.decay   = 1.2f + 2.2f * config.movement;
    s.sustain = juce::jlimit (0.42f, 0.98f, 0.74f + 0.12f * config.shimmer);
    s.release = juce::jmax (config.release, 0.01f);
    envelope.applySettings (s);

    // Every block brings a record; the gains only change with tilt and shimmer.
    if (config.spectralTilt == gainsTilt && config.shimmer == gainsShimmer)
        return;

    gainsTilt = config.spectralTilt;
    gainsShimmer = config.shimmer;
    const float exponent = 0.85f + 2.15f * config.spectralTilt;
    for (int k = 0; k < numPartials; ++k)
    {
        const int n = k + 1;
        const float divisor = n == 1 ? 1.0f : std::pow ((float) n, exponent);
        partialGain[k] = (1.0f + 0.22f * config.shimmer * std::sin (1.61f * (float) n)) / divisor;
    }
}

void PadSynthVoice::initialiseVoiceState() noexcept
{
    const float m = juce::jlimit (0.0f, 1.0f, 0.35f * config.vintageAmount + config.unisonDetune / 24.0f);

    for (size_t u = 0; u < (size_t) maxUnison; ++u)
    {
        driftPhase[u] = twoPi * uniform();
        phaseA[u]     = twoPi * uniform();
        phaseB[u]     = twoPi * uniform();
        phaseFm[u]    = twoPi * uniform();
        phaseSub[u]   = twoPi * uniform();

        for (size_t k = 0; k < (size_t) numPartials; ++k)
        {
            partialPhase[u][k]       = twoPi * uniform();
            partialWobblePhase[u][k] = twoPi * uniform();
        }

        panOffset[u]    = bipolar();
        detuneOffset[u] = bipolar();
        startDelay[u]   = uniform() * (float) sampleRate * 0.0015f * m;
    }
}

void PadSynthVoice::startNote (int midiNoteNumber, float newVelocity, juce::SynthesiserSound*, int)
{
    const float f = config.a4Hz * std::pow (2.0f, (config.masterTune / 100.0f + (float) midiNoteNumber - 69.0f) / 12.0f);

    const bool legato = config.monoMode && legatoPending;
    legatoPending = false;
    velocity = juce::jlimit (0.0f, 1.0f, newVelocity);

    glideTargetFrequency = glideStartFrequency = f;
    glideSamplesRemaining = glideSamplesTotal = 0.0f;
    const float from = currentFrequency > 0.0f ? currentFrequency : f;

    if (config.glideTime > 0.0001f && (legato || currentFrequency > 0.0f))
    {
        const float start = juce::jmax (from, 20.0f);
        glideStartFrequency = currentFrequency = start;
        glideSamplesRemaining = glideSamplesTotal = config.glideTime * (float) sampleRate;
    }
    else
    {
        currentFrequency = f;
    }

    noiseLowpass = 0.0f;

    if (legato)
    {
        // A held note glides on without a new attack; a note whose key was already let go
        // (idle or releasing) is played again, rising from its current level.
        const auto stage = envelope.getStage();
        if (stage == LinearEnvelope::Stage::idle || stage == LinearEnvelope::Stage::release)
            envelope.noteOn();
    }
    else
    {
        initialiseVoiceState();
        envelope.noteOn();
    }
}

void PadSynthVoice::stopNote (float, bool allowTailOff)
{
    if (allowTailOff)
    {
        legatoPending = false;
        envelope.noteOff();
    }
    else if (config.monoMode)
    {
        legatoPending = true;   // the mono synth steals its only voice for every new note
    }
    else
    {
        legatoPending = false;
        envelope.reset();
        clearCurrentNote();
    }
}

void PadSynthVoice::silence() noexcept
{
    legatoPending = false;
    envelope.reset();
    clearCurrentNote();
}

float PadSynthVoice::unisonPosition (int u, int unisonVoices) noexcept
{
    if (unisonVoices < 2)
        return 0.0f;

    const int n = unisonCount (unisonVoices);
    const float centre = (float) (n - 1) * 0.5f;
    const float halfWidth = juce::jmax (1.0f, centre);
    return ((float) u - centre) / halfWidth;
}

float PadSynthVoice::unisonNorm (int unisonVoices) noexcept
{
    return 1.0f / std::sqrt ((float) unisonCount (unisonVoices));
}

void PadSynthVoice::setFilter (int slot, float cutoff, float resonance) noexcept
{
    // The tangent form needs the cutoff below Nyquist; at low host rates the raised right-hand
    // cutoffs (and 18 kHz itself) would pass it.
    const float limit = 0.45f * (float) sampleRate;
    filters[(size_t) slot].setCutoffAndResonance (juce::jmin (cutoff, limit), resonance);
}

void PadSynthVoice::updateFilters (float env, float morph, float frequency) noexcept
{
    const auto& c = config;
    const float keyBase = juce::jmax (frequency / juce::jmax (c.a4Hz, 55.0f), 0.25f);
    const float track = juce::jlimit (0.0f, 1.0f, c.filterKeytrack);
    if (keyBase != keyFactorBase || track != keyFactorTrack)   // the same inputs give the same power
    {
        keyFactorBase = keyBase;
        keyFactorTrack = track;
        keyFactor = std::pow (keyBase, track);
    }
    const float envDepth = juce::jlimit (0.0f, 6.0f, (0.85f + 2.6f * velocity * c.velocityFilterAmount) * c.filterEnvAmount);

    const float fc = juce::jlimit (120.0f, 18000.0f,
                                   keyFactor * c.cutoff * (1.0f + envDepth * env)
                                       * (0.58f + 0.9f * c.leftPalmX + 0.16f * c.leftPinch));
    const float q = juce::jlimit (0.1f, 1.18f, c.resonance + 0.12f * c.filterDrive + 0.08f * c.leftOpen);

    setFilter (filterL, fc, q);
    setFilter (filterR, fc * (1.0f + 0.05f * c.spread), q);

    if (morph > 0.002f)
    {
        const float fc2 = juce::jlimit (160.0f, 18000.0f, fc * (1.0f + 3.2f * morph + 0.25f * c.filterDrive));
        const float q2 = juce::jlimit (0.14f, 1.2f, q + 0.16f * morph + 0.1f * c.filterDrive);
        setFilter (morphFilterL, fc2, q2);
        setFilter (morphFilterR, fc2 * (1.0f + 0.04f * c.spread), q2);
    }
}

void PadSynthVoice::renderNextBlock (juce::AudioBuffer<float>& output, int startSample, int numSamples)
{
    if (getCurrentlyPlayingNote() < 0)
        return;

    float* left = output.getNumChannels() > 0 ? output.getWritePointer (0) : nullptr;
    float* right = output.getNumChannels() > 1 ? output.getWritePointer (1) : nullptr;

    // In pieces that fit the source buffers; they are multiples of 8 long, so the filters still
    // update on every 8th sample of the call.
    const int piece = getSourceCapacity();
    for (int done = 0; done < numSamples; done += piece)
    {
        const int n = juce::jmin (piece, numSamples - done);
        renderSource (n);
        filterSource (left != nullptr ? left + startSample + done : nullptr,
                      right != nullptr ? right + startSample + done : nullptr, n);
    }

    finishBlock();
}

void PadSynthVoice::finishBlock() noexcept
{
    if (envelope.isIdle() && ! legatoPending)
        clearCurrentNote();
}

void PadSynthVoice::renderSource (int numSamples) noexcept
{
    jassert (numSamples <= getSourceCapacity());
    numSamples = juce::jmin (numSamples, getSourceCapacity());
    if (numSamples <= 0)
        return;

    using namespace voicekernels;
    const auto& c = config;

    const float pw = juce::jlimit (0.08f, 0.92f, 0.5f + 0.64f * (c.pwmAmount - 0.5f) + 0.14f * c.leftLift);
    const float partialLevel = 1.0f + 0.28f * c.shimmer + 0.08f * c.leftLift;
    const float airAmount = (0.05f + 0.08f * c.leftOpen) * c.noiseMix;
    const float morph = juce::jlimit (0.0f, 1.0f, c.filterMorph);
    const float driftDepth = 0.45f * c.movement + 2.4f * c.driftAmount + 0.9f * c.vintageAmount;
    const float core = juce::jlimit (0.0f, 1.0f, c.padCoreMix);

    const int numCopies = unisonCount (c.unisonVoices);
    const float norm = 1.0f / std::sqrt ((float) numCopies);
    const float centre = (float) (numCopies - 1) / 2.0f;
    const float halfWidth = juce::jmax (1.0f, centre);

    OscillatorSettings osc;
    osc.numCopies = numCopies;
    osc.driftStep = 0.00003f + 0.00014f * c.driftAmount + 0.00005f * c.vintageAmount;
    osc.driftDepth = driftDepth;
    osc.sampleRate = (float) sampleRate;
    osc.fmRatio = juce::jlimit (0.25f, 8.0f, c.fmRatio);
    osc.subDivisor = c.subOctave >= 2 ? 4.0f : 2.0f;
    osc.fmIndex = juce::jlimit (0.0f, 2.6f, 2.2f * c.fmAmount);
    osc.pw = pw;
    osc.pwB = 0.84f * pw;
    osc.aLevel = juce::jlimit (0.0f, 1.0f, c.oscALevel);
    osc.bLevel = juce::jlimit (0.0f, 1.0f, c.oscBLevel);
    osc.subLevel = juce::jlimit (0.0f, 1.0f, c.subLevel);
    osc.fatLevel = juce::jlimit (0.0f, 1.0f, c.fatAmount);
    osc.ringLevel = juce::jlimit (0.0f, 1.0f, c.ringModAmount);
    osc.aShape = c.oscAShape;
    osc.bShape = c.oscBShape;
    osc.subShape = c.subShape;
    osc.sync = c.oscSync;

    const bool oscillatorsSound = osc.aLevel != 0.0f || osc.bLevel != 0.0f || osc.subLevel != 0.0f || osc.fatLevel != 0.0f;
    const float detuneSpread = 0.3f + 0.8f * c.vintageAmount;
    const float panWidth = 0.16f + 0.84f * c.spread;
    float gainL[maxUnison], gainR[maxUnison], largestCents = 0.0f;
    for (int u = 0; u < numCopies; ++u)
    {
        const float position = c.unisonVoices >= 2 ? ((float) u - centre) / halfWidth : 0.0f;
        osc.centsBase[u] = c.unisonDetune * position + detuneSpread * detuneOffset[u];
        osc.detuneOffset[u] = detuneOffset[u];
        largestCents = juce::jmax (largestCents, std::abs (osc.centsBase[u]));

        const float pan = position * panWidth + 0.12f * panOffset[u];
        gainL[u] = 0.5f - 0.34f * pan;
        gainR[u] = 0.5f + 0.34f * pan;
    }
    // The most the pitch factor can reach, for how many turns a phase can pass in one step
    // (2^x ≤ 1 + x for x in [0, 1]).
    const float largestPower = (largestCents + 1.36f * std::abs (driftDepth)) / 1200.0f;
    const float pitchBound = (largestPower <= 1.0f ? 1.0f + largestPower : std::pow (2.0f, largestPower)) * 1.001f;

    alignas (64) float gains[partialLanes];
    for (int k = 0; k < partialLanes; ++k)
        gains[k] = partialGain[k] * partialLevel;

    const DriveSettings driveSettings { (0.01f + 0.03f * velocity) * c.characterAmount, velocity, 0.94f + 0.08f * c.spread,
                                        1.0f + 3.8f * c.filterDrive + 0.5f * c.vintageAmount,
                                        1.0f + (1.2f + 1.8f * velocity) * c.characterAmount };
    const float wobbleDepth = c.driftAmount + 0.4f * c.vintageAmount;
    const float wobbleStep = 0.00006f + 0.00011f * c.movement;

    // A call is rendered in runs of up to 64 samples: first what the whole voice needs per
    // sample, then the copies' oscillators and partials, then the drive.
    alignas (64) float noiseIn[runLength], airIn[runLength], envAt[runLength], frequencyAt[runLength];
    alignas (64) float L[runLength], R[runLength];
    alignas (64) float partialSum[runLength];
    alignas (64) OscillatorRun oscRun;
    alignas (64) float partialPhases[maxUnison][runLength][partialLanes];
    const CopyPhases phases { driftPhase, phaseA, phaseB, phaseFm, phaseSub, startDelay };

    for (int runStart = 0; runStart < numSamples; runStart += runLength)
    {
        const int n = juce::jmin (runLength, numSamples - runStart);
        float topFrequency = 0.0f;

        // The noise draws first (a call into the generator), then noise filter, glide and envelope
        // on local copies, so that their chains stay in registers.
        for (int i = 0; i < n; ++i)
            noiseIn[i] = bipolar();

        float lowpass = noiseLowpass, frequency = currentFrequency, glideLeft = glideSamplesRemaining;
        LinearEnvelope env = envelope;
        for (int i = 0; i < n; ++i)
        {
            const float r = noiseIn[i];
            lowpass = 0.992f * lowpass + 0.008f * r;

            if (glideLeft > 0.0f && glideSamplesTotal > 0.0f)
            {
                float x = juce::jlimit (0.0f, 1.0f, 1.0f - glideLeft / juce::jmax (glideSamplesTotal, 1.0f));
                if (c.glideCurve == 1)
                    x = x * x;
                else if (c.glideCurve == 2)
                    x = 0.5f - 0.5f * std::cos (pi * x);

                frequency = glideStartFrequency + (glideTargetFrequency - glideStartFrequency) * x;
                glideLeft -= 1.0f;
            }
            else
            {
                frequency = glideTargetFrequency;
            }

            frequencyAt[i] = frequency;
            topFrequency = juce::jmax (topFrequency, frequency);
            envAt[i] = env.nextSample();
            airIn[i] = airAmount * (r - lowpass);
        }
        noiseLowpass = lowpass;
        currentFrequency = frequency;
        glideSamplesRemaining = glideLeft;
        envelope = env;

        const float topStep = topFrequency * pitchBound * twoPi / osc.sampleRate;
        osc.wrapsA = 1 + (int) (topStep / twoPi);
        osc.wrapsFm = 1 + (int) (osc.fmRatio * topStep / twoPi);
        runOscillators (osc, phases, frequencyAt, noiseIn, n, oscRun);
        advancePartials (partialPhase, partialWobblePhase, numCopies, oscRun, n, wobbleStep, wobbleDepth,
                         1 + (int) (16.0f * topStep / twoPi), partialPhases);

        // The oscillators of all copies first (their values sit side by side per sample), then
        // each copy's partials, panned.
        if (! oscillatorsSound)
        {
            std::fill (L, L + n, 0.0f);
            std::fill (R, R + n, 0.0f);
        }
        else for (int i = 0; i < n; ++i)
        {
            float oscLeft = 0.0f, oscRight = 0.0f;
            for (int u = 0; u < numCopies; ++u)
            {
                oscLeft += oscRun.at (oscRun.oscL, i, u);   // 0 while a copy waits to start
                oscRight += oscRun.at (oscRun.oscR, i, u);
            }
            L[i] = oscLeft * norm;
            R[i] = oscRight * norm;
        }

        if (core > 0.0f)
        {
            for (int u = 0; u < numCopies; ++u)
            {
                const int first = juce::jmin (oscRun.firstActive[u], n);
                sumPartials (partialPhases[u] + first, oscRun.fm + first * oscRun.stride + u, oscRun.stride, n - first,
                             gains, partialSum);
                const float coreL = core * gainL[u] * norm, coreR = core * gainR[u] * norm;
                for (int i = 0; i < n - first; ++i)
                {
                    L[first + i] += coreL * partialSum[i];
                    R[first + i] += coreR * partialSum[i];
                }
            }
        }


        driveRun (driveSettings, L, R, noiseIn, airIn, envAt, n, sourceL.data() + runStart, sourceR.data() + runStart);
        for (int i = 0; i < n; i += 8)
        {
            sourceEnv[(size_t) (runStart + i) / 8] = envAt[i];
            sourceFrequency[(size_t) (runStart + i) / 8] = frequencyAt[i];
        }
    }
    sourceMorph = morph;
}

void PadSynthVoice::filterSource (float* left, float* right, int numSamples) noexcept
{
    // The filters take new coefficients every 8th sample and run on local copies over the 8
    // between, so their states stay in registers.
    const float morph = sourceMorph;
    for (int i = 0; i < numSamples; i += 8)
    {
        const int m = juce::jmin (8, numSamples - i);
        updateFilters (sourceEnv[(size_t) i / 8], morph, sourceFrequency[(size_t) i / 8]);
        TptFilter fL = filters[filterL], fR = filters[filterR];
        float oL[8], oR[8];

        if (morph > 0.002f)
        {
            TptFilter mL = filters[morphFilterL], mR = filters[morphFilterR];
            for (int j = 0; j < m; ++j)
            {
                const float yL = sourceL[(size_t) (i + j)], yR = sourceR[(size_t) (i + j)];
                const float lowL = fL.processSample (yL), lowR = fR.processSample (yR);
                const float bandL = mL.processSample (yL), bandR = mR.processSample (yR);
                oL[j] = lowL + morph * (0.72f * lowL + 1.08f * bandL - lowL);
                oR[j] = lowR + morph * (0.72f * lowR + 1.08f * bandR - lowR);
            }
            filters[morphFilterL] = mL;
            filters[morphFilterR] = mR;
        }
        else
        {
            for (int j = 0; j < m; ++j)
            {
                oL[j] = fL.processSample (sourceL[(size_t) (i + j)]);
                oR[j] = fR.processSample (sourceR[(size_t) (i + j)]);
            }
        }

        filters[filterL] = fL;
        filters[filterR] = fR;

        for (int j = 0; j < m; ++j)
        {
            if (left != nullptr)
                left[i + j] += oL[j];
            if (right != nullptr)
                right[i + j] += oR[j];
        }
    }
}

void PadSynthVoice::filterTogether (PadSynthVoice* const* voices, int count, float* left, float* right, int numSamples) noexcept
{
    if (count == 1)
    {
        voices[0]->filterSource (left, right, numSamples);
        return;
    }

    // Groups of up to eight voices, one after another: each output sample still gets the voices
    // added in voice order.
    for (int first = 0; first < count; first += 8)
        filterGroup (voices + first, juce::jmin (8, count - first), left, right, numSamples);
}

void PadSynthVoice::filterGroup (PadSynthVoice* const* voices, int count, float* left, float* right, int numSamples) noexcept
{
    // Each filter's state update is a chain of about 24 cycles per sample that nothing else in
    // its voice can overlap. Here the voices are vector lanes (voicekernels::filterLanesRun):
    // every lane takes exactly the operations of TptFilter::processSample, in its order, so each
    // filter computes what it would alone, while eight voices' chains run as one.
    using voicekernels::FilterLanes;
    FilterLanes lanes;
    for (int v = 0; v < count; ++v)
    {
        for (int f = 0; f < 4; ++f)
        {
            lanes.s1[f][v] = voices[v]->filters[(size_t) f].getS1();
            lanes.s2[f][v] = voices[v]->filters[(size_t) f].getS2();
        }
        lanes.morph[v] = voices[v]->sourceMorph;
        lanes.anyMorph = lanes.anyMorph || voices[v]->sourceMorph > 0.002f;
    }

    alignas (32) float inL[8][FilterLanes::lanes] {}, inR[8][FilterLanes::lanes] {};
    alignas (32) float outL[8][FilterLanes::lanes], outR[8][FilterLanes::lanes];

    for (int i = 0; i < numSamples; i += 8)
    {
        const int m = juce::jmin (8, numSamples - i);
        for (int v = 0; v < count; ++v)
        {
            auto& voice = *voices[v];
            voice.updateFilters (voice.sourceEnv[(size_t) i / 8], voice.sourceMorph, voice.sourceFrequency[(size_t) i / 8]);
            for (int f = 0; f < 4; ++f)
            {
                const auto& filter = voice.filters[(size_t) f];
                lanes.g[f][v] = filter.getG();
                lanes.h[f][v] = filter.getH();
                lanes.r2[f][v] = filter.getR2();
            }
            for (int j = 0; j < m; ++j)
            {
                inL[j][v] = voice.sourceL[(size_t) (i + j)];
                inR[j][v] = voice.sourceR[(size_t) (i + j)];
            }
        }

        voicekernels::filterLanesRun (lanes, inL, inR, m, outL, outR);

        for (int j = 0; j < m; ++j)
        {
            float sumL = left != nullptr ? left[i + j] : 0.0f;
            float sumR = right != nullptr ? right[i + j] : 0.0f;
            for (int v = 0; v < count; ++v)
            {
                sumL += outL[j][v];
                sumR += outR[j][v];
            }
            if (left != nullptr)
                left[i + j] = sumL;
            if (right != nullptr)
                right[i + j] = sumR;
        }
    }

    for (int v = 0; v < count; ++v)
        for (int f = 0; f < 4; ++f)
            voices[v]->filters[(size_t) f].setState (lanes.s1[f][v], lanes.s2[f][v]);
}

} // namespace velmora
