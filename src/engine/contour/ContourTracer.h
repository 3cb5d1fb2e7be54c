#pragma once
#include "engine/contour/ContourNetwork.h"
#include "engine/contour/PlanePoint.h"

#include <functional>
#include <vector>

namespace tervane {

// One finished level line, ready for the curve drawer.
struct TracedCurve {
    // Control points 0..controlLast. A closed curve keeps the point it
    // dropped when it was closed in slot controlLast + 1, so that the
    // observation polygon can return to its start.
    std::vector<PlanePoint> control;
    int controlLast = -1;
    bool closed = false;             // "bqx"; false is "kqx"
    std::vector<PlanePoint> crossings;  // where the level cuts the sides, in order
    std::vector<PlanePoint> errorPoints;  // one per crossing
};

// How crossings become control points.
struct TraceOptions {
    double error = 0.5;          // fitting error E, in value units
    bool errorControl = false;   // append each crossing's error point
};

// Follows the lines of one level through the triangles: first the open
// curves that start on a border side (triangles from the last down), then
// the closed curves inside (from the first up). Each triangle is crossed
// once per level; the next level finds them all free again.
//
// A level can only start a curve in a triangle whose values straddle it,
// so the triangles are filed once under the value bands their ranges
// cover, and each pass looks only at the level's band, in the same order
// as a scan of every triangle would meet them.
class ContourTracer {
public:
    using CurveSink = std::function<void(const TracedCurve&)>;

    // Throws ContourFault when the network does not validate.
    ContourTracer(const ContourNetwork& net, TraceOptions options);

    // Traces one level and hands every finished curve with more than three
    // control points to `sink`, in tracing order. Throws ContourFault when a
    // crossing cannot be computed (a side with equal end values).
    void traceLevel(double tracedLevel, const CurveSink& sink);

    // Curves given up because they wandered past every triangle without
    // ending (only a malformed network does that), in this level.
    int abandonedCurves() const { return abandoned_; }

private:
    // Triangles filed by value band: band b holds rows[start[b]..start[b+1])
    // in ascending order.
    struct Bands {
        std::vector<int> start;
        std::vector<int> rows;
    };

    void fileByBands();
    int bandOf(double z) const;
    bool isFree(int t) const;
    bool straddles(int t) const;
    bool crossed(int p, int q) const;
    bool sideCrossed(int t, int side) const;
    bool isBorder(int t, int side) const;
    int startCurve(int t, bool onBorder);
    int exitSide(int t, int entry);
    int entrySide(int t) const;
    bool follow(int exit, bool stopAtCrossed);
    void recordCrossing(int t, int side);
    void finishCurve(bool startedOnBorder, const CurveSink& sink);
    void beginCurve();

    const ContourNetwork& net_;
    TraceOptions options_;
    double level_ = 0;
    // Lowest and highest value of each triangle's corners.
    std::vector<double> low_, high_;
    double bandBase_ = 0;
    double bandWidth_ = 1;
    int bandCount_ = 1;
    Bands borderBands_;  // triangles with a border side
    Bands innerBands_;   // triangles with an inner side
    // A triangle is crossed at this level when its stamp is the level's;
    // a new level takes a new stamp instead of freeing every triangle.
    std::vector<unsigned> crossedAt_;
    unsigned stamp_ = 0;
    TracedCurve curve_;
    int current_ = 0;
    int lastSideSum_ = 0;
    int abandoned_ = 0;
};

} // namespace tervane
