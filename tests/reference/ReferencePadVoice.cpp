#include "ReferencePadVoice.h"

#include "engine/Waveshapes.h"

namespace velmora::reference
{

void ReferencePadVoice::renderNextBlock (juce::AudioBuffer<float>& output, int startSample, int numSamples)
{
    if (getCurrentlyPlayingNote() < 0)
        return;

    if (numSamples > 0)
    {
        const auto& c = config;

        const float pw = juce::jlimit (0.08f, 0.92f, 0.5f + 0.64f * (c.pwmAmount - 0.5f) + 0.14f * c.leftLift);
        const float pwB = 0.84f * pw;
        const float partialLevel = 1.0f + 0.28f * c.shimmer + 0.08f * c.leftLift;
        const float airAmount = (0.05f + 0.08f * c.leftOpen) * c.noiseMix;
        const float grainAmount = (0.01f + 0.03f * velocity) * c.characterAmount;
        const float morph = juce::jlimit (0.0f, 1.0f, c.filterMorph);
        const float fmIndex = juce::jlimit (0.0f, 2.6f, 2.2f * c.fmAmount);
        const float driftDepth = 0.45f * c.movement + 2.4f * c.driftAmount + 0.9f * c.vintageAmount;
        const float characterDrive = 1.0f + (1.2f + 1.8f * velocity) * c.characterAmount;
        const float drive = 1.0f + 3.8f * c.filterDrive + 0.5f * c.vintageAmount;
        const float core = juce::jlimit (0.0f, 1.0f, c.padCoreMix);

        const int numCopies = unisonCount (c.unisonVoices);
        const float norm = 1.0f / std::sqrt ((float) numCopies);
        const float centre = (float) (numCopies - 1) / 2.0f;
        const float halfWidth = juce::jmax (1.0f, centre);

        const float aLevel = juce::jlimit (0.0f, 1.0f, c.oscALevel);
        const float bLevel = juce::jlimit (0.0f, 1.0f, c.oscBLevel);
        const float subLevel = juce::jlimit (0.0f, 1.0f, c.subLevel);
        const float fatLevel = juce::jlimit (0.0f, 1.0f, c.fatAmount);
        const float ringLevel = juce::jlimit (0.0f, 1.0f, c.ringModAmount);
        const float fmRatio = juce::jlimit (0.25f, 8.0f, c.fmRatio);
        const float subDivisor = c.subOctave >= 2 ? 4.0f : 2.0f;
        const float driftStep = 0.00003f + 0.00014f * c.driftAmount + 0.00005f * c.vintageAmount;
        const float wobbleDepth = c.driftAmount + 0.4f * c.vintageAmount;
        const float wobbleStepBase = 0.00006f + 0.00011f * c.movement;
        const float panWidth = 0.16f + 0.84f * c.spread;
        const float airRight = 0.94f + 0.08f * c.spread;
        const float srFloat = (float) sampleRate;

        float* left = output.getNumChannels() > 0 ? output.getWritePointer (0) : nullptr;
        float* right = output.getNumChannels() > 1 ? output.getWritePointer (1) : nullptr;

        for (int i = 0; i < numSamples; ++i)
        {
            const float r = bipolar();
            noiseLowpass = 0.992f * noiseLowpass + 0.008f * r;

            if (glideSamplesRemaining > 0.0f && glideSamplesTotal > 0.0f)
            {
                float x = juce::jlimit (0.0f, 1.0f, 1.0f - glideSamplesRemaining / juce::jmax (glideSamplesTotal, 1.0f));
                if (c.glideCurve == 1)
                    x = x * x;
                else if (c.glideCurve == 2)
                    x = 0.5f - 0.5f * std::cos (pi * x);

                currentFrequency = glideStartFrequency + (glideTargetFrequency - glideStartFrequency) * x;
                glideSamplesRemaining -= 1.0f;
            }
            else
            {
                currentFrequency = glideTargetFrequency;
            }

            const float env = envelope.nextSample();

            if (i % 8 == 0)
                updateFilters (env, morph, currentFrequency);

            const float grain = grainAmount * r;
            const float air = airAmount * (r - noiseLowpass);

            float L = 0.0f, R = 0.0f;

            for (int u = 0; u < numCopies; ++u)
            {
                const auto uu = (size_t) u;
                if (startDelay[uu] > 0.0f)
                {
                    startDelay[uu] -= 1.0f;
                    continue;
                }

                const float position = c.unisonVoices >= 2 ? ((float) u - centre) / halfWidth : 0.0f;

                driftPhase[uu] = wrapPhase (driftPhase[uu] + driftStep);
                const float cents = c.unisonDetune * position
                                  + (0.3f + 0.8f * c.vintageAmount) * detuneOffset[uu]
                                  + driftDepth * (std::sin (driftPhase[uu]) + 0.35f * std::sin (0.47f * driftPhase[uu] + detuneOffset[uu]));
                const float inc = std::pow (2.0f, cents / 1200.0f) * currentFrequency * twoPi / srFloat;

                const float oldA = phaseA[uu];
                phaseA[uu] = wrapPhase (oldA + inc);
                if (c.oscSync && phaseA[uu] < oldA)
                    phaseB[uu] = 0.0f;
                phaseB[uu] = wrapPhase (phaseB[uu] + inc);

                phaseFm[uu] = wrapPhase (phaseFm[uu] + fmRatio * inc);
                phaseSub[uu] = wrapPhase (phaseSub[uu] + inc / subDivisor);

                const float fm = fmIndex * waveshape (c.oscBShape, phaseFm[uu], pwB, r);
                const float a = waveshape (c.oscAShape, wrapPhase (phaseA[uu] + 1.5f * fm), pw, r) * aLevel;
                const float b = waveshape (c.oscBShape, phaseB[uu], pwB, r) * bLevel;
                const float s = waveshape (c.subShape, phaseSub[uu], 0.5f, r) * subLevel;
                const float fat = (std::sin (phaseSub[uu]) >= 0.0f ? 1.0f : -1.0f) * fatLevel;
                const float ring = a * b * ringLevel;

                const float p = position * panWidth + 0.12f * panOffset[uu];
                const float gainL = 0.5f - 0.34f * p;
                const float gainR = 0.5f + 0.34f * p;

                float coreL = 0.0f, coreR = 0.0f;
                auto& pp = partialPhase[uu];
                auto& wp = partialWobblePhase[uu];
                for (int k = 0; k < numPartials; ++k)
                {
                    const auto kk = (size_t) k;
                    wp[kk] = wrapPhase (wp[kk] + wobbleStepBase + 0.00001f * (float) k);
                    pp[kk] = wrapPhase (pp[kk] + partialRatio[kk] * inc * (1.0f + 0.00018f * std::sin (wp[kk]) * wobbleDepth));
                    const float v = std::sin (pp[kk] + (0.06f + 0.02f * (float) (k + 1)) * fm) * partialGain[k] * partialLevel;
                    coreL += v * gainL;
                    coreR += v * gainR;
                }

                L += (core * coreL + 0.62f * a + 0.54f * b + 0.52f * s + 0.18f * fat + 0.52f * ring) * norm;
                R += (core * coreR + 0.54f * a + 0.62f * b + 0.52f * s + 0.18f * fat + 0.52f * ring) * norm;
            }

            const float amp = 0.22f * env * velocity;
            const float yL = std::tanh ((L + grain + air) * amp * drive * characterDrive);
            const float yR = std::tanh ((R + grain + airRight * air) * amp * drive * characterDrive);

            float oL = filters[filterL].processSample (yL);
            float oR = filters[filterR].processSample (yR);

            if (morph > 0.002f)
            {
                const float bL = filters[morphFilterL].processSample (yL);
                const float bR = filters[morphFilterR].processSample (yR);
                oL = oL + morph * (0.72f * oL + 1.08f * bL - oL);
                oR = oR + morph * (0.72f * oR + 1.08f * bR - oR);
            }

            if (left != nullptr)
                left[startSample + i] += oL;
            if (right != nullptr)
                right[startSample + i] += oR;
        }
    }

    if (envelope.isIdle() && ! legatoPending)
        clearCurrentNote();
}

} // namespace velmora::reference
