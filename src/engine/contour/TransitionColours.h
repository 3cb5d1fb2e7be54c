#pragma once
#include "engine/base/Colour.h"

namespace tervane {

// The transition colour ramp runs over steps 16..255.
inline constexpr int kFirstRampStep = 16;
inline constexpr int kLastRampStep = 255;

// The colour of ramp step i for the two transition scroll values a and b
// (16..255). Both at 255 gives a grey ramp; otherwise the step runs through
// red when a > b and through green when not, the other channels held at
// a and b.
Colour transitionColour(int i, int a, int b);

} // namespace tervane
