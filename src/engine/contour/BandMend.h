#pragma once
#include "engine/contour/BandCheck.h"
#include "engine/contour/ContourTracer.h"

#include <limits>
#include <vector>

namespace tervane {

// A stretch of a line running the same way in x and in y, which cannot
// cross itself, and its box: lines are compared chain against chain.
struct LineChain {
    std::size_t first, last;  // segments
    double box[4];
};

// The curves already drawn at the level being drawn, so that the next curve
// of that level can be kept off them. Two curves can only meet in a
// triangle both pass through, so each curve is filed under the triangles
// its segments pass, and a new curve is compared only with the curves
// filed under its own triangles and their neighbours.
class SameLevelCurves {
public:
    // Forgets the curves when `level` is not the one they were drawn at.
    void startLevel(double level, const BandSurface& band);
    // Files a curve drawn at the level (a closed one without its closing
    // point), its chains and the triangles it passes.
    void add(std::vector<PlanePoint> points, std::vector<LineChain> chains, const std::vector<int>& triangles);
    // Sets bad[i] for every segment i (points i, i + 1; the last one wraps
    // round on a closed line) that meets a curve already filed; `chains`
    // are the line's, `triangles` those it passes. True when any does.
    bool markMeetings(const std::vector<PlanePoint>& points, const std::vector<LineChain>& chains,
                      const std::vector<int>& triangles, std::vector<char>& bad);

    // Keeps a curve off the other lines of its level even where they are
    // not drawn yet: the level as traced (read at the first crossing) must
    // not be crossed in any triangle but those the curve's own traced
    // polygon runs through. Made for each curve, valid until the next.
    BandSurface::LevelGuard guardFor(const TracedCurve& curve, double margin);

private:
    struct Entry {
        int curve;
        int next;
    };
    double level_ = std::numeric_limits<double>::quiet_NaN();
    const BandSurface* band_ = nullptr;
    unsigned serial_ = 0;
    std::vector<unsigned> stamp_;  // per triangle: the serial its list belongs to
    std::vector<int> head_;        // per triangle: its first entry, or -1
    std::vector<Entry> entries_;
    std::vector<std::vector<PlanePoint>> curves_;
    std::vector<std::vector<LineChain>> chains_;
    std::vector<unsigned> asked_;  // per curve: the last query that took it
    unsigned query_ = 0;
    std::vector<unsigned> own_;    // per triangle: the guard that owns it
    unsigned guard_ = 0;
};

// What the mends of one run did, and what they need to remember from one
// curve to the next: a run keeps one for all its curves.
struct MendStats {
    long mendedCurves = 0;
    double largestMove = 0;  // world units
    // Curves still leaving their band or crossing after the mend: the
    // traced polygon itself would have to be at fault, which only
    // rounding to single precision makes it (none on the sets tried).
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
