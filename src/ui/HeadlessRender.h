#pragma once
#include "app/CommandLine.h"

#include <iosfwd>

namespace tervane {

// Runs `tervane render` without a window: start-up, the open step with the
// network build of the asked kind (the working files go to the current
// folder), then the drawing area saved as the images asked for. Messages
// go to `err`, the names of the files written to `out`. Returns the exit
// status: 0 when the file was opened and everything written, 1 otherwise.
// A QGuiApplication must exist.
int runRender(const CommandLine& line, std::ostream& out, std::ostream& err);

} // namespace tervane
