#pragma once

#include "BlockParameters.h"
#include "../engine/FxRenderConfig.h"
#include "../engine/VoiceRenderConfig.h"
#include "../motion/MotionState.h"

namespace velmora
{

/** The voice record of one block, from the block's parameter values and the motion in effect. */
VoiceRenderConfig makeVoiceRenderConfig (const BlockParameters& p, const MotionState& motion) noexcept;

/** The effects record of one block. Delay feedback and mix, reverb mix, bit depth, rate reduction
    and lo-fi stay at their neutral values, so the factory sounds keep the voicing they were made
    with and only the tape stage shapes the output. */
FxRenderConfig makeFxRenderConfig (const BlockParameters& p, const MotionState& motion) noexcept;

} // namespace velmora
