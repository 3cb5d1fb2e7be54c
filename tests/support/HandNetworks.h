#pragma once
#include "engine/contour/ContourNetwork.h"

#include <functional>

namespace tervane::testing {

// Fills in the neighbour of every side shared by two triangles (0 stays on
// the border). Triangles are given with vertices only.
void connectNeighbours(ContourNetwork& net);

// A square of two triangles: points 1 (0,0) 2 (1,0) 3 (1,1) 4 (0,1) with
// values 0, 10, 20, 10; triangles (1,2,3) and (1,3,4).
ContourNetwork twoTriangleSquare();

// A cone of six triangles around a peak of 100 at the origin, the ring of
// six points at radius 10 and value 0.
ContourNetwork sixTriangleCone();

// A regular grid of nx x ny points one unit apart, each cell split into two
// triangles, with values from `height`.
ContourNetwork gridNetwork(int nx, int ny, const std::function<double(double, double)>& height);

} // namespace tervane::testing
