#pragma once
#include "engine/contour/ContourNetwork.h"

#include <string>

namespace tervane {

class Random;

// Reads dzx.NDX, dzx.XYZ and dzx.DH from `dir` (empty: the current folder).
// Every height gets an offset below 0.00001 from `random` (reseeded from the
// clock first), so that no level falls exactly on a data value. The passes
// visit min(triangleCount, rows) triangles. Throws ContourFault when a file
// is missing or short, a count is not a sensible whole number, or the
// network does not validate.
ContourNetwork readContourNetwork(Random& random, int triangleCount, const std::string& dir = {});

} // namespace tervane
