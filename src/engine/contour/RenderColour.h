#pragma once
#include "engine/base/Colour.h"

#include <string>

namespace tervane {

// The transition colour of one level on a colour-rendered map.
struct RenderColour {
    Colour colour = 0;
    std::string text;  // "&h00" + blue, green, red as two capital hex digits each
};

// The colour for ramp value `ramp` (levelIndex x colourStep) with the two
// transition scroll values taken at the start of the run. With both at 255
// the map is grey, dark for low levels and lighter for every level above;
// otherwise blue is the second value and the larger of the first value and
// the ramp goes to green, the other to red. Each part is rounded to the
// nearest whole number, halves to even.
RenderColour levelRenderColour(double ramp, int scroll3, int scroll4);

} // namespace tervane
