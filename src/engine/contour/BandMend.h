#pragma once
#include "engine/contour/BandCheck.h"
#include "engine/contour/ContourTracer.h"

#include <vector>

namespace tervane {

// What the mends of one run did.
struct MendStats {
    long mendedCurves = 0;
    double largestMove = 0;  // world units
};

// Keeps a smoothed curve inside the band of its level, (level - interval/2,
// level + interval/2) on the network's surface, so that curves of different
// levels cannot cross. `points` are the curve's points as drawn (world
// units, a closed curve ending on its start again); stretches that stay in
// the band are left exactly as they are.
void mendCurve(std::vector<SplinePoint>& points, const TracedCurve& curve, int order, double level,
               double interval, const BandSurface& band, MendStats& stats);

} // namespace tervane
