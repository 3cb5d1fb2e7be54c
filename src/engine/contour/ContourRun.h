#pragma once
#include "engine/state/RunContext.h"

namespace tervane {

// The Draw run: traces every level of the sequence through the network of
// the working files, smooths and draws each curve, then the labels, the
// rendering mask and the point marks. A fault ends the run with the
// program's one fault message. Returns false when the run stopped early.
bool drawContourMap(RunContext& ctx);

} // namespace tervane
