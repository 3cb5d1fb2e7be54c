#pragma once
#include "engine/base/LabelPlacer.h"
#include "engine/state/RunContext.h"
#include "engine/contour/ContourNetwork.h"

#include <string>

namespace tervane {

// The value written beside a point: truncated toward minus infinity to the
// decimals of `valueScale` (1000, 100, 10 or 1), in the print form with its
// leading blank (or minus) and a trailing blank: 12.349 at 100 is " 12.34 ".
std::string pointValueText(double value, int valueScale);

// Marks every point of the run with a circle in the point colour and writes
// its value and/or note as the label mode says (all values with the note on
// a raw network, every second or third value, or the notes of a raw network
// only), growing the progress strip. Labels kept apart also keep clear of
// the boxes `taken` (the contour values), in the area's pixels.
void drawPointLabels(RunContext& ctx, const ContourNetwork& net, const std::vector<LabelBox>& taken = {});

} // namespace tervane
