#pragma once

namespace velmora
{

/** Everything a voice needs from the parameters for one block. Filled once per block by the
    block driver and copied into every voice; voices never read parameters themselves. */
struct VoiceRenderConfig
{
    float a4Hz = 440.0f;
    float masterTune = 0.0f;            // cents
    float spectralTilt = 0.55f;
    float shimmer = 0.45f;
    float movement = 0.35f;
    float spread = 0.6f;
    bool  monoMode = false;
    float glideTime = 0.0f;             // seconds
    int   glideCurve = 0;               // 0 linear, 1 exponential, 2 S-curve
    int   unisonVoices = 1;
    float unisonDetune = 0.0f;          // cents
    float driftAmount = 0.0f;
    float vintageAmount = 0.0f;
    float characterAmount = 0.0f;
    float noiseMix = 0.12f;
    float padCoreMix = 1.0f;
    int   oscAShape = 0;
    float oscALevel = 0.0f;
    int   oscBShape = 2;
    float oscBLevel = 0.0f;
    int   subShape = 0;
    float subLevel = 0.0f;
    int   subOctave = 1;                // 1 = one octave down, 2 = two
    float fatAmount = 0.0f;
    float attack = 1.6f;                // seconds
    float release = 5.5f;               // seconds
    float cutoff = 4200.0f;             // Hz
    float resonance = 0.22f;
    float filterMorph = 0.0f;
    float filterDrive = 0.18f;
    float filterEnvAmount = 0.0f;
    float velocityFilterAmount = 0.0f;
    float filterKeytrack = 0.0f;
    float fmAmount = 0.0f;
    float fmRatio = 2.0f;
    float ringModAmount = 0.0f;
    float pwmAmount = 0.0f;
    bool  oscSync = false;
    float leftPalmX = 0.5f;
    float leftLift = 0.5f;
    float leftPinch = 0.0f;
    float leftOpen = 0.0f;
};

} // namespace velmora
