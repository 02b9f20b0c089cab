#pragma once

#include "BlockParameters.h"
#include "../engine/VoiceRenderConfig.h"
#include "../motion/MotionState.h"

namespace velmora
{

/** The voice record of one block, from the block's parameter values and the motion in effect. */
VoiceRenderConfig makeVoiceRenderConfig (const BlockParameters& p, const MotionState& motion) noexcept;

} // namespace velmora
