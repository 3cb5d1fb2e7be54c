#pragma once
#include "engine/contour/ContourNetwork.h"
#include "engine/contour/ContourTracer.h"

#include <functional>
#include <vector>

namespace tervane::reference {

// The tracer as it stood before it went by value bands, kept as the
// yardstick: it frees every triangle and scans them all twice per level.
// The faster tracer must hand over the same curves, bit for bit.
//
// Follows the lines of one level through the triangles: first the open
// curves that start on a border side (triangles from the last down), then
// the closed curves inside (from the first up). Each triangle is crossed
// once per level; the next level finds them all free again.
class ReferenceTracer {
public:
    using CurveSink = std::function<void(const TracedCurve&)>;

    // Throws ContourFault when the network does not validate.
    ReferenceTracer(const ContourNetwork& net, TraceOptions options);

    // Traces one level and hands every finished curve with more than three
    // control points to `sink`, in tracing order. Throws ContourFault when a
    // crossing cannot be computed (a side with equal end values).
    void traceLevel(double tracedLevel, const CurveSink& sink);

    // Curves given up because they wandered past every triangle without
    // ending (only a malformed network does that), in this level.
    int abandonedCurves() const { return abandoned_; }

private:
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
    std::vector<char> free_;
    TracedCurve curve_;
    int current_ = 0;
    int lastSideSum_ = 0;
    int abandoned_ = 0;
};

} // namespace tervane::reference
