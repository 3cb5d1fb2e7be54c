#pragma once
#include "engine/base/Limits.h"
#include "engine/base/Random.h"

#include <functional>
#include <vector>

namespace tervane {

struct GridSize {
    int columns = 0;  // node columns along X
    int rows = 0;     // node rows along Y
};

// A regular grid of nodes numbered column by column: node k = (i - 1) x rows
// + j for column i and row j. Tables are indexed from 1 (slot 0 unused).
struct Grid {
    int columns = 0;
    int rows = 0;
    std::vector<double> x{0.0}, y{0.0};
    std::vector<float> z{0.0f};

    long nodeCount() const { return static_cast<long>(columns) * rows; }
};

// Where the nodes go: (originX, originY) is node 1, and the grid spans
// xRange by yRange from there.
struct GridPlacement {
    double originX = 0;
    double originY = 0;
    double xRange = 1;
    double yRange = 1;
    // Without a background picture node 1 is nudged off its exact place.
    bool nudgeFirstNode = true;
    // Multiplies every tiny offset, so that a data area smaller than one
    // unit is not distorted by offsets meant for ordinary units.
    double offsetScale = 1;
};

// Size of the optimized grid for n points over an area of xRange by yRange:
// with aspect a and q = 5 n / (a + 1), sqrt(a q) columns (at least 4) and
// sqrt(q) rows (at least 2, so a very flat area never divides by zero),
// shrunk in proportion to keep at most maxNodes nodes. The ranges must be
// positive and finite.
GridSize optimizedGridSize(long n, double xRange, double yRange,
                           long maxNodes = limits::kMaxGridNodes);

// The fixed grid of the 3D network.
inline constexpr GridSize k3dGridSize{limits::k3dGridSide, limits::k3dGridSide};

// Node positions, evenly spaced; node 1 nudged when the placement asks.
Grid placeGridNodes(GridSize size, const GridPlacement& placement, Random& random);

// The value at (gx, gy) from the four nearest points with distinct
// distances (the lowest index wins a tie), weighted by 1 / (d^2 + 1e-7).
// Points are 1..n of x, y, z; fewer than four distinct distances use what
// there is.
float weightedNodeValue(double gx, double gy, const std::vector<double>& x,
                        const std::vector<double>& y, const std::vector<double>& z, long n);

// Fills every node value; progress(k, nodes) after node k when given.
void weightGridValues(Grid& grid, const std::vector<double>& x, const std::vector<double>& y,
                      const std::vector<double>& z, long n,
                      const std::function<void(long, long)>& progress = {});

// Moves every interior node (neither first nor last row or column) by a
// small amount that grows with its number plus a random part, so that no
// four nodes are exactly cocircular. The boundary keeps exact positions.
void offsetInteriorNodes(Grid& grid, Random& random, double offsetScale = 1);

} // namespace tervane
