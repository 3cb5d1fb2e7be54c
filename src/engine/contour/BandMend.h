#pragma once
#include "engine/contour/BandCheck.h"
#include "engine/contour/ContourTracer.h"

#include <limits>
#include <vector>

namespace tervane {

// The curves already drawn at the level being drawn, so that the next curve
// of that level can be kept off them. Curves are filed in the cells only
// once a later curve's box overlaps theirs, which few do.
class SameLevelCurves {
public:
    // Forgets the curves when `level` is not the one they were drawn at.
    void startLevel(double level);
    void add(std::vector<PlanePoint> points);
    // Sets bad[i] for every segment i (points i, i + 1; the last one wraps
    // round on a closed line) that meets a curve already drawn.
    void markMeetings(const std::vector<PlanePoint>& points, bool closed, std::vector<char>& bad);

private:
    struct Kept {
        double box[4];
        std::vector<PlanePoint> points;
        bool filed = false;
    };
    double level_ = std::numeric_limits<double>::quiet_NaN();
    std::vector<Kept> kept_;
    SegmentCells cells_;
    bool sized_ = false;
};

// What the mends of one run did, and what they need to remember from one
// curve to the next: a run keeps one for all its curves.
struct MendStats {
    long mendedCurves = 0;
    double largestMove = 0;  // world units
    // Curves the mend could not clear even along the traced polygon (only
    // when an earlier curve of the level lies across it).
    long unresolvedCurves = 0;
    SameLevelCurves sameLevel;
};

// Keeps a smoothed curve inside the band of its level, (level - interval/2,
// level + interval/2) on the network's surface, so that curves of different
// levels cannot cross, and off itself and the curves drawn before it at the
// same level. `points` are the curve's points as drawn (world units, a
// closed curve ending on its start again), sampled from the B-spline of
// `order` over the curve's control points; stretches that keep to all of
// that are left exactly as they are, and only the rest are pulled towards
// the traced polygon, as far as needed.
void mendCurve(std::vector<SplinePoint>& points, const TracedCurve& curve, int order, double level,
               double interval, const BandSurface& band, MendStats& stats);

} // namespace tervane
