#pragma once
#include "engine/state/RunContext.h"

#include <string>

namespace tervane {

// More levels than a run can draw between the lowest and highest value.

// The Draw run: traces every level of the sequence through the network of
// the working files, smooths and draws each curve, then the labels, the
// rendering mask and the point marks. While recording, the plot file is
// started before anything is drawn and takes its name only when the run
// completes. A fault ends the run with a message for its cause: the plot
// file's own (naming the file), too many levels, or else the data fault
// message. Returns false when the run stopped early.
bool drawContourMap(RunContext& ctx);

} // namespace tervane
