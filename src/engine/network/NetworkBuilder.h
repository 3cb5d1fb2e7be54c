#pragma once
#include "engine/state/RunContext.h"
#include "engine/survey/SurveyFile.h"

namespace tervane {

// Builds the network of state.networkKind (1 raw, 2 optimized, 3 3D) from
// the data file: reloads the points, finds the extents and the scale,
// shifts the points with tiny random offsets, triangulates (or grids),
// draws the network, marks and labels the points, draws the plot frame and
// writes the working files. Returns false when the build stopped early
// (no file open, Esc, a data set it cannot handle: the user was told).
// `labelPoints` false marks the points without their labels: a Draw of the
// present look writes them itself, after its contour values. `justRead`,
// when given, is the data file as the caller read it a moment ago: the
// points are taken from it instead of reading the file again, and its
// notes are moved out of it.
bool buildNetwork(RunContext& ctx, bool labelPoints = true, SurveyReadResult* justRead = nullptr);

// What Draw does for its network lines: when the last build's network still
// fits the data (same file, unchanged on disk, same kind and picture state,
// not edited), draws it again exactly as the build drew it, with the marks,
// labels, plot frame and working files after it; otherwise builds it anew.
// A rebuild would give the same picture from the same offsets; this spares
// the triangulation. Returns as buildNetwork does.
bool redrawNetwork(RunContext& ctx, bool labelPoints = true);

// Writes dzx.NDX, dzx.XYZ, dzx.OXY and dzx.DH from the shared state, marking
// each point on the drawing area as it goes. Refuses with the program's
// message when no file is open or there are fewer than 6 points. Returns
// true when the files were written.
// Files that still stand as the held network's build wrote them are not
// written again (the points are marked all the same).
bool exportWorkingFiles(RunContext& ctx);

// The working files' identities on disk as one text, empty when any is
// missing: equal texts mean no file was replaced or changed between.
std::string workingFilesStamp();

} // namespace tervane
