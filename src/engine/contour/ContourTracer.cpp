#include "engine/contour/ContourTracer.h"

#include "engine/contour/ContourFault.h"
#include "engine/contour/FittingError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tervane {

namespace {

// The closed test's tolerance in world units.
constexpr double kClosedTolerance = 0.001;

// For each side the two others, in the order they are tried as the exit:
// the first is tested, the second is taken without a test.
constexpr int kExitOrder[4][2] = {{0, 0}, {2, 3}, {1, 3}, {1, 2}};

// Most bands the index may have, and how many entries per triangle it aims
// at: more bands shorten each band's list but file a triangle of a wide
// value range under more of them.
constexpr int kMostBands = 1 << 16;
constexpr double kEntriesPerTriangle = 3;

} // namespace

ContourTracer::ContourTracer(const ContourNetwork& net, TraceOptions options)
    : net_(net), options_(options)
{
    net_.validate();
    fileByBands();
}

// The band of a value; values below or above the finite range, and a NaN,
// go to the end bands, so a band lookup never misses a triangle that
// straddles the level.
int ContourTracer::bandOf(double z) const
{
    const double f = (z - bandBase_) / bandWidth_;
    if (!(f >= 0))
        return 0;
    if (f >= bandCount_)
        return bandCount_ - 1;
    return static_cast<int>(f);
}

void ContourTracer::fileByBands()
{
    const int rows = net_.rowCount();
    const int traced = net_.traced;
    low_.assign(static_cast<std::size_t>(rows) + 1, 0);
    high_.assign(static_cast<std::size_t>(rows) + 1, 0);
    crossedAt_.assign(static_cast<std::size_t>(rows) + 1, 0);
    stamp_ = 0;

    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    for (int t = 1; t <= traced; ++t) {
        const auto row = static_cast<std::size_t>(t);
        // A corner without a value (NaN) crosses nothing, so it widens
        // nothing; an infinite one does cross and is kept.
        double lo = std::numeric_limits<double>::infinity();
        double hi = -lo;
        for (const int v : {net_.vertexA[row], net_.vertexB[row], net_.vertexC[row]}) {
            const double z = net_.pointZ[static_cast<std::size_t>(v)];
            if (std::isnan(z))
                continue;
            lo = std::min(lo, z);
            hi = std::max(hi, z);
        }
        low_[row] = lo;
        high_[row] = hi;
        for (const double z : {lo, hi}) {
            if (std::isfinite(z)) {
                lowest = std::min(lowest, z);
                highest = std::max(highest, z);
            }
        }
    }

    // As many bands as keep the index near kEntriesPerTriangle entries a
    // triangle: each triangle takes one band plus its share of the range.
    bandBase_ = std::isfinite(lowest) ? lowest : 0;
    bandWidth_ = 1;
    bandCount_ = 1;
    if (std::isfinite(lowest) && highest > lowest) {
        const double range = highest - lowest;
        double spans = 0;
        for (int t = 1; t <= traced; ++t) {
            const auto row = static_cast<std::size_t>(t);
            if (high_[row] > low_[row])
                spans += (std::min(high_[row], highest) - std::max(low_[row], lowest)) / range;
        }
        const double wanted = (kEntriesPerTriangle - 1) * traced / std::max(spans, 1e-9);
        bandCount_ = static_cast<int>(std::clamp(wanted, 1.0, static_cast<double>(kMostBands)));
        bandWidth_ = range / bandCount_;
    }

    const auto file = [&](Bands& bands, bool border) {
        std::vector<int> count(static_cast<std::size_t>(bandCount_) + 1, 0);
        const auto wanted = [&](int t) {
            for (int side = 1; side <= 3; ++side) {
                if (isBorder(t, side) == border)
                    return low_[static_cast<std::size_t>(t)] < high_[static_cast<std::size_t>(t)];
            }
            return false;
        };
        for (int t = 1; t <= traced; ++t) {
            if (!wanted(t))
                continue;
            const auto row = static_cast<std::size_t>(t);
            for (int b = bandOf(low_[row]); b <= bandOf(high_[row]); ++b)
                ++count[static_cast<std::size_t>(b) + 1];
        }
        for (std::size_t b = 1; b < count.size(); ++b)
            count[b] += count[b - 1];
        bands.start = count;
        bands.rows.assign(static_cast<std::size_t>(count.back()), 0);
        for (int t = 1; t <= traced; ++t) {
            if (!wanted(t))
                continue;
            const auto row = static_cast<std::size_t>(t);
            for (int b = bandOf(low_[row]); b <= bandOf(high_[row]); ++b)
                bands.rows[static_cast<std::size_t>(count[static_cast<std::size_t>(b)]++)] = t;
        }
    };
    file(borderBands_, true);
    file(innerBands_, false);
}

bool ContourTracer::isFree(int t) const
{
    return t <= net_.traced && crossedAt_[static_cast<std::size_t>(t)] != stamp_;
}

bool ContourTracer::straddles(int t) const
{
    const auto row = static_cast<std::size_t>(t);
    return low_[row] < level_ && level_ < high_[row];
}

bool ContourTracer::crossed(int p, int q) const
{
    const double zp = net_.pointZ[static_cast<std::size_t>(p)];
    const double zq = net_.pointZ[static_cast<std::size_t>(q)];
    return (zp < level_ && level_ < zq) || (zq < level_ && level_ < zp);
}

bool ContourTracer::sideCrossed(int t, int side) const
{
    const auto ends = net_.sideEnds(t, side);
    return crossed(ends[0], ends[1]);
}

bool ContourTracer::isBorder(int t, int side) const
{
    return net_.neighbour[static_cast<std::size_t>(t)][static_cast<std::size_t>(side)] == 0;
}

void ContourTracer::beginCurve()
{
    curve_.control.clear();
    curve_.crossings.clear();
    curve_.errorPoints.clear();
    curve_.controlLast = -1;
    curve_.closed = false;
}

void ContourTracer::traceLevel(double tracedLevel, const CurveSink& sink)
{
    level_ = tracedLevel;
    abandoned_ = 0;
    if (++stamp_ == 0) {
        // After four billion levels the stamps come round again.
        std::fill(crossedAt_.begin(), crossedAt_.end(), 0u);
        stamp_ = 1;
    }
    const auto band = static_cast<std::size_t>(bandOf(level_));

    // Open curves first, so that the inner pass meets only closed ones.
    const int* border = borderBands_.rows.data();
    for (int at = borderBands_.start[band + 1] - 1; at >= borderBands_.start[band]; --at) {
        const int t = border[at];
        if (!straddles(t) || !isFree(t))
            continue;
        beginCurve();
        current_ = t;
        if (const int exit = startCurve(t, true); exit != 0) {
            if (follow(exit, false))
                finishCurve(true, sink);
        }
    }
    const int* inner = innerBands_.rows.data();
    for (int at = innerBands_.start[band]; at < innerBands_.start[band + 1]; ++at) {
        const int t = inner[at];
        if (!straddles(t) || !isFree(t))
            continue;
        beginCurve();
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
int ContourTracer::startCurve(int t, bool onBorder)
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
int ContourTracer::exitSide(int t, int entry)
{
    const int tested = kExitOrder[entry][0];
    const int exit = sideCrossed(t, tested) ? tested : kExitOrder[entry][1];
    recordCrossing(t, exit);
    return exit;
}

// The side of triangle t shared with the side crossed last, found by the
// sum of its vertex numbers; a triangle that matches neither side 1 nor
// side 3 counts as entered through side 2.
int ContourTracer::entrySide(int t) const
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
bool ContourTracer::follow(int exit, bool stopAtCrossed)
{
    const int limit = net_.rowCount();
    for (int moves = 0;; ++moves) {
        crossedAt_[static_cast<std::size_t>(current_)] = stamp_;
        current_ = net_.neighbour[static_cast<std::size_t>(current_)][static_cast<std::size_t>(exit)];
        if (current_ == 0)
            return true;
        if (stopAtCrossed && !isFree(current_))
            return true;
        if (moves >= limit) {
            ++abandoned_;
            beginCurve();
            return false;
        }
        exit = exitSide(current_, entrySide(current_));
    }
}

void ContourTracer::recordCrossing(int t, int side)
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

void ContourTracer::finishCurve(bool startedOnBorder, const CurveSink& sink)
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

} // namespace tervane
