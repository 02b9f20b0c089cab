#pragma once

#include "../motion/ModulationRouting.h"

namespace velmora
{

struct MotionRouteDefault { const char* sourceLabel; const char* target; float depth; };
struct LfoDefault { const char* label; const char* target; };

/** The routes and LFO targets a new sound starts with (labels are what the editor shows). */
extern const MotionRouteDefault motionRouteDefaults[ModulationRouting::numMotionRoutes];
extern const LfoDefault lfoDefaults[ModulationRouting::numLfos];

} // namespace velmora
