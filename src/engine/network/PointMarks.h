#pragma once
#include "engine/state/RunContext.h"

#include <string>

namespace tervane {

// Reads the label options from the panel: the decimals multiplier
// valueScale (1000, 100, 10, 1 for three, two, one decimal place or whole
// numbers, later boxes winning) and pointLabelMode (1 all, 2 every second,
// 3 every third, 4 notes). Notes clear the decimals boxes; with neither
// notes nor decimals ticked, three decimals are ticked.
void readDisplayOptions(PanelSettings& panel);

// A point's value as its label shows it: cut (not rounded) to the decimals
// of valueScale, as a printed number: a leading blank for the sign and a
// trailing blank. Draw's labels print the very same text.
std::string markValueText(double z, int valueScale);

// The whole label of point i (slots from 1) as one text, by the label mode:
// the value and the note, every second or third value, the note alone, or
// nothing (mode 5, or a point the mode skips). Notes show on the raw
// network only, whose points are the survey's own.
std::string pointLabelText(const SharedState& s, const PanelSettings& panel, int i, double value);

// Marks every point with a circle in the point colour and labels it by the
// label mode: values, every second or third value, or notes (notes only on
// the raw network, whose points are the survey's own). With `labels` false
// only the marks are drawn.
void markAndLabelPoints(RunContext& ctx, bool labels = true);

} // namespace tervane
