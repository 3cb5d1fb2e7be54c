#pragma once
#include "engine/contour/Bspline.h"
#include "engine/contour/ContourNetwork.h"

#include <vector>

namespace tervane {

// The network's surface, linear on each triangle, for asking where a point
// of a drawn curve lies against its level's band.
class BandSurface {
public:
    explicit BandSurface(const ContourNetwork& net);

private:
    const ContourNetwork& net_;
};

// One curve as drawn (world units), with the nominal level it stands for.
struct DrawnCurve {
    double level = 0;
    bool closed = false;
    std::vector<SplinePoint> points;
};

struct CrossingReport {
    long crossingPairs = 0;   // pairs of segments that cross
    long outOfBand = 0;       // stretches outside their band
};

// Checks the curves of one run, drawn at `interval`.
CrossingReport checkCurves(const std::vector<DrawnCurve>& curves, const BandSurface& band, double interval);

} // namespace tervane
