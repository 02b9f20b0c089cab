#pragma once

#include <cmath>

namespace velmora
{

/** One-channel state-variable filter in the topology-preserving form (the same structure and
    state update as juce::dsp::StateVariableTPTFilter). Its coefficients are set directly, so the
    voice pays one tangent per update instead of one per setter call. */
class TptFilter
{
public:
    enum class Type { lowpass, bandpass };

    void setType (Type t) noexcept { type = t; }
    Type getType() const noexcept  { return type; }

    void prepare (double newSampleRate) noexcept
    {
        sampleRate = newSampleRate;
        reset();
        computeCoefficients();
    }

    void reset() noexcept { s1 = s2 = 0.0f; }

    /** No range checks: callers keep the cutoff below half the sample rate. Setting the values
        the filter already has keeps its coefficients (they would come out the same). */
    void setCutoffAndResonance (float newCutoff, float newResonance) noexcept
    {
        if (newCutoff == cutoff && newResonance == resonance)
            return;

        cutoff = newCutoff;
        resonance = newResonance;
        computeCoefficients();
    }

    float processSample (float x) noexcept
    {
        const float yHP = h * (x - s1 * (g + R2) - s2);
        const float yBP = yHP * g + s1;
        s1 = yHP * g + yBP;
        const float yLP = yBP * g + s2;
        s2 = yBP * g + yLP;
        return type == Type::bandpass ? yBP : yLP;
    }

    /** The raw coefficients and state, for code that steps several filters side by side with the
        same operations as processSample. */
    float getG() const noexcept   { return g; }
    float getH() const noexcept   { return h; }
    float getR2() const noexcept  { return R2; }
    float getS1() const noexcept  { return s1; }
    float getS2() const noexcept  { return s2; }
    void setState (float newS1, float newS2) noexcept  { s1 = newS1; s2 = newS2; }

    float getCutoff() const noexcept    { return cutoff; }
    float getResonance() const noexcept { return resonance; }

private:
    void computeCoefficients() noexcept
    {
        g  = (float) std::tan (3.141592653589793 * (double) cutoff / sampleRate);
        R2 = (float) (1.0 / (double) resonance);
        h  = (float) (1.0 / (1.0 + (double) R2 * (double) g + (double) g * (double) g));
    }

    Type type = Type::lowpass;
    double sampleRate = 44100.0;
    float cutoff = 1000.0f, resonance = 0.70710678f;
    float g = 0.0f, h = 0.0f, R2 = 0.0f;
    float s1 = 0.0f, s2 = 0.0f;
};

} // namespace velmora
