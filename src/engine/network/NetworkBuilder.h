#pragma once
#include "engine/commands/RunContext.h"

namespace tervane {

// Builds the network of state.networkKind (1 raw, 2 optimized, 3 3D) from
// the data file: reloads the points, finds the extents and the scale,
// shifts the points with tiny random offsets, triangulates (or grids),
// draws the network, marks and labels the points, draws the plot frame and
// writes the working files. Returns false when the build stopped early
// (no file open, Esc, a data set it cannot handle: the user was told).
bool buildNetwork(RunContext& ctx);

// Writes dzx.NDX, dzx.XYZ, dzx.OXY and dzx.DH from the shared state, marking
// each point on the drawing area as it goes. Refuses with the program's
// message when no file is open or there are fewer than 6 points. Returns
// true when the files were written.
bool exportWorkingFiles(RunContext& ctx);

} // namespace tervane
