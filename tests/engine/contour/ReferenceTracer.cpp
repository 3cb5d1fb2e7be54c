#include "engine/contour/ReferenceTracer.h"

#include "engine/contour/ContourFault.h"
#include "engine/contour/FittingError.h"

#include <cmath>

namespace tervane::reference {

namespace {

// The closed test's tolerance in world units.
constexpr double kClosedTolerance = 0.001;

// For each side the two others, in the order they are tried as the exit:
// the first is tested, the second is taken without a test.
constexpr int kExitOrder[4][2] = {{0, 0}, {2, 3}, {1, 3}, {1, 2}};

} // namespace

ReferenceTracer::ReferenceTracer(const ContourNetwork& net, TraceOptions options)
    : net_(net), options_(options)
{
    net_.validate();
}

bool ReferenceTracer::crossed(int p, int q) const
{
    const double zp = net_.pointZ[static_cast<std::size_t>(p)];
    const double zq = net_.pointZ[static_cast<std::size_t>(q)];
    return (zp < level_ && level_ < zq) || (zq < level_ && level_ < zp);
}

bool ReferenceTracer::sideCrossed(int t, int side) const
{
    const auto ends = net_.sideEnds(t, side);
    return crossed(ends[0], ends[1]);
}

bool ReferenceTracer::isBorder(int t, int side) const
{
    return net_.neighbour[static_cast<std::size_t>(t)][static_cast<std::size_t>(side)] == 0;
}

void ReferenceTracer::beginCurve()
{
    curve_.control.clear();
    curve_.crossings.clear();
    curve_.errorPoints.clear();
    curve_.controlLast = -1;
    curve_.closed = false;
}

void ReferenceTracer::traceLevel(double tracedLevel, const CurveSink& sink)
{
    level_ = tracedLevel;
    abandoned_ = 0;
    free_.assign(static_cast<std::size_t>(net_.rowCount()) + 1, 0);
    for (int t = 1; t <= net_.traced; ++t)
        free_[static_cast<std::size_t>(t)] = 1;

    // Open curves first, so that the inner pass meets only closed ones.
    for (int t = net_.traced; t >= 1; --t) {
        beginCurve();
        if (!free_[static_cast<std::size_t>(t)])
            continue;
        current_ = t;
        if (const int exit = startCurve(t, true); exit != 0) {
            if (follow(exit, false))
                finishCurve(true, sink);
        }
    }
    for (int t = 1; t <= net_.traced; ++t) {
        beginCurve();
        if (!free_[static_cast<std::size_t>(t)])
            continue;
        current_ = t;
        if (const int exit = startCurve(t, false); exit != 0) {
            if (follow(exit, true))
                finishCurve(false, sink);
        }
    }
    beginCurve();
}

// Records the start side and the exit side of a curve's first triangle and
// returns the exit side, or 0 when no curve starts here. The start side
// must be a border side for an open curve and an inner one otherwise.
int ReferenceTracer::startCurve(int t, bool onBorder)
{
    for (int side = 1; side <= 3; ++side) {
        if (isBorder(t, side) != onBorder || !sideCrossed(t, side))
            continue;
        recordCrossing(t, side);
        return exitSide(t, side);
    }
    return 0;
}

// Records the crossing where the line leaves triangle t, having come in
// through `entry`, and returns that side.
int ReferenceTracer::exitSide(int t, int entry)
{
    const int tested = kExitOrder[entry][0];
    const int exit = sideCrossed(t, tested) ? tested : kExitOrder[entry][1];
    recordCrossing(t, exit);
    return exit;
}

// The side of triangle t shared with the side crossed last, found by the
// sum of its vertex numbers; a triangle that matches neither side 1 nor
// side 3 counts as entered through side 2.
int ReferenceTracer::entrySide(int t) const
{
    for (int side = 1; side <= 3; ++side) {
        const auto ends = net_.sideEnds(t, side);
        if (ends[0] + ends[1] == lastSideSum_)
            return side;
    }
    return 2;
}

// Leaves the current triangle across `exit` and walks on until the line
// leaves the network or, for a closed curve, meets a triangle it already
// crossed. Returns false when the walk goes past the number of triangles,
// which only a malformed network allows; the curve is then dropped.
bool ReferenceTracer::follow(int exit, bool stopAtCrossed)
{
    const int limit = net_.rowCount();
    for (int moves = 0;; ++moves) {
        free_[static_cast<std::size_t>(current_)] = 0;
        current_ = net_.neighbour[static_cast<std::size_t>(current_)][static_cast<std::size_t>(exit)];
        if (current_ == 0)
            return true;
        if (stopAtCrossed && !free_[static_cast<std::size_t>(current_)])
            return true;
        if (moves >= limit) {
            ++abandoned_;
            beginCurve();
            return false;
        }
        exit = exitSide(current_, entrySide(current_));
    }
}

void ReferenceTracer::recordCrossing(int t, int side)
{
    const auto ends = net_.sideEnds(t, side);
    const auto p = static_cast<std::size_t>(ends[0]);
    const auto q = static_cast<std::size_t>(ends[1]);
    SideEnds s{{net_.pointX[p], net_.pointY[p]}, net_.pointZ[p], {net_.pointX[q], net_.pointY[q]}, net_.pointZ[q]};
    if (s.zq == s.zp)
        throw ContourFault("a crossed side has equal end values");
    const double r = (level_ - s.zp) / (s.zq - s.zp);
    const PlanePoint cross{s.p.x + r * (s.q.x - s.p.x), s.p.y + r * (s.q.y - s.p.y)};
    if (!std::isfinite(cross.x) || !std::isfinite(cross.y))
        throw ContourFault("crossing point overflows");
    curve_.crossings.push_back(cross);

    auto& control = curve_.control;
    if (curve_.controlLast >= 0) {
        const PlanePoint before = control.back();
        control.push_back({(before.x + cross.x) / 2, (before.y + cross.y) / 2});
        control.push_back(cross);
        curve_.controlLast += 2;
    } else {
        control.push_back(cross);
        curve_.controlLast = 0;
    }

    const PlanePoint error = findErrorPoint(s, level_, options_.error, cross);
    curve_.errorPoints.push_back(error);
    if (options_.errorControl) {
        control.push_back(error);
        curve_.controlLast += 1;
    }
    lastSideSum_ = ends[0] + ends[1];
}

void ReferenceTracer::finishCurve(bool startedOnBorder, const CurveSink& sink)
{
    auto& c = curve_;
    if (c.controlLast == 1) {
        const PlanePoint first = c.control[0];
        const PlanePoint second = c.control[1];
        c.control = {first, first, first, second};
        c.controlLast = 3;
    }
    // A curve that started on the border ends on it too: it is open
    // however near its ends lie (a corner in a small unit, such as degrees).
    if (!startedOnBorder && !c.crossings.empty()) {
        const PlanePoint a = c.crossings.front();
        const PlanePoint b = c.crossings.back();
        c.closed = std::fabs(a.x - b.x) < kClosedTolerance && std::fabs(a.y - b.y) < kClosedTolerance;
    }
    if (c.closed) {
        c.controlLast -= 1;
    } else if (c.controlLast >= 0) {
        c.control.push_back(c.control[static_cast<std::size_t>(c.controlLast)]);
        c.controlLast += 1;
    }
    if (c.controlLast > 2)
        sink(c);
    beginCurve();
}

} // namespace tervane::reference
