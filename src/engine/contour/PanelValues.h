#pragma once
#include "engine/state/PanelSettings.h"

#include <optional>
#include <string_view>

namespace tervane {

// Readings of the drawing panel as the Draw run takes them: box texts by
// the leading-number rule.

// The whole part (rounded down) of a box's number; nothing when it does not
// fit an int, so a wild text never reaches a pen setting.
std::optional<int> wholeValue(std::string_view text);

// The line width box as a number; above 4 the map is colour rendered.
double lineWidthValue(const PanelSettings& panel);
bool renderingMode(const PanelSettings& panel);

// Smoothness 0..7 from the smoothness scroll value (2..9); the spline order
// is smoothness + 2.
int smoothness(const PanelSettings& panel);

} // namespace tervane
