#include "RenderConfigs.h"

namespace velmora
{

VoiceRenderConfig makeVoiceRenderConfig (const BlockParameters& p, const MotionState& motion) noexcept
{
    VoiceRenderConfig c;
    c.a4Hz = p.eff (param::a4Hz);
    c.masterTune = p.eff (param::masterTune);
    c.spectralTilt = p.eff (param::spectralTilt);
    c.shimmer = p.eff (param::shimmer);
    c.movement = p.eff (param::movement);
    c.spread = p.eff (param::spread);
    c.monoMode = p.rawOn (param::monoMode);
    c.glideTime = p.eff (param::glideTimeMs) * 0.001f;
    c.glideCurve = p.rawRounded (param::glideCurve);
    c.unisonVoices = p.effRounded (param::unisonVoices);
    c.unisonDetune = p.eff (param::unisonDetune);
    c.driftAmount = p.eff (param::driftAmount);
    c.vintageAmount = p.eff (param::vintageAmount);
    c.characterAmount = p.eff (param::characterAmount);
    c.noiseMix = p.eff (param::noiseMix);
    c.padCoreMix = p.eff (param::padCoreMix);
    c.oscAShape = p.rawRounded (param::oscAShape);
    c.oscALevel = p.eff (param::oscALevel);
    c.oscBShape = p.rawRounded (param::oscBShape);
    c.oscBLevel = p.eff (param::oscBLevel);
    c.subShape = p.rawRounded (param::subShape);
    c.subLevel = p.eff (param::subLevel);
    c.subOctave = p.rawRounded (param::subOctave) + 1;
    c.fatAmount = p.eff (param::fatAmount);
    c.attack = p.eff (param::attack);
    c.release = p.eff (param::release);
    c.cutoff = p.eff (param::cutoff);
    c.resonance = p.eff (param::resonance);
    c.filterMorph = p.eff (param::filterMorph);
    c.filterDrive = p.eff (param::filterDrive);
    c.filterEnvAmount = p.eff (param::filterEnvAmount);
    c.velocityFilterAmount = p.eff (param::velocityFilterAmount);
    c.filterKeytrack = p.eff (param::filterKeytrack);
    c.fmAmount = p.eff (param::fmAmount);
    c.fmRatio = p.eff (param::fmRatio);
    c.ringModAmount = p.eff (param::ringModAmount);
    c.pwmAmount = p.eff (param::pwmAmount);
    c.oscSync = p.rawOn (param::oscSync);
    c.leftPalmX = motion.left.palmX;
    c.leftLift = motion.left.lift;
    c.leftPinch = motion.left.pinch;
    c.leftOpen = motion.left.open;
    return c;
}

FxRenderConfig makeFxRenderConfig (const BlockParameters& p, const MotionState& motion) noexcept
{
    FxRenderConfig c;
    c.delayTimeMs = p.eff (param::delayTimeMs);
    c.delayTone = p.eff (param::delayTone);
    c.reverbSize = p.eff (param::reverbSize);
    c.reverbDecay = p.eff (param::reverbDecay);
    c.reverbPreDelayMs = p.eff (param::reverbPreDelayMs);
    c.tapeWow = p.eff (param::tapeWow);
    c.tapeFlutter = p.eff (param::tapeFlutter);
    c.outputSaturation = p.eff (param::outputSaturation);
    c.vintageAmount = p.eff (param::vintageAmount);
    c.leftOpen = motion.left.open;
    return c;
}

} // namespace velmora
