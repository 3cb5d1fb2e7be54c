#include "engine/contour/BandCheck.h"

#include <algorithm>
#include <cfloat>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

namespace tervane {

namespace {

// Float steps of the largest coordinate within which a drawn point counts
// as on a triangle: the B-spline sums a few single-precision terms.
constexpr double kFloatSteps = 8;
// Triangles a segment may pass before it is taken to be lost (only a
// malformed network or a walk round and round a vertex gets there).
constexpr int kMostSteps = 1 << 16;
// Points a lost segment is checked at instead.
constexpr int kFallbackSamples = 64;

unsigned long long cellKey(long long ix, long long iy)
{
    return (static_cast<unsigned long long>(static_cast<std::uint32_t>(ix)) << 32) |
           static_cast<std::uint32_t>(iy);
}

double orient(PlanePoint a, PlanePoint b, PlanePoint c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool within(double v, double a, double b) { return std::min(a, b) <= v && v <= std::max(a, b); }

PlanePoint plane(SplinePoint p) { return {p.x, p.y}; }

} // namespace

BandSurface::BandSurface(const ContourNetwork& net)
{
    const int rows = net.rowCount();
    facets_.resize(static_cast<std::size_t>(rows) + 1);
    double largest = 0;
    for (int i = 1; i <= net.pointCount(); ++i) {
        const auto s = static_cast<std::size_t>(i);
        if (std::isfinite(net.pointX[s]) && std::isfinite(net.pointY[s]))
            largest = std::max({largest, std::fabs(double(net.pointX[s])), std::fabs(double(net.pointY[s]))});
    }
    tolerance_ = kFloatSteps * FLT_EPSILON * std::max(largest, 1.0);

    for (int t = 1; t <= rows; ++t) {
        const auto row = static_cast<std::size_t>(t);
        Facet& f = facets_[row];
        const int v[3] = {net.vertexA[row], net.vertexB[row], net.vertexC[row]};
        double x[3], y[3], z[3];
        for (int i = 0; i < 3; ++i) {
            const auto s = static_cast<std::size_t>(v[i]);
            x[i] = net.pointX[s];
            y[i] = net.pointY[s];
            z[i] = net.pointZ[s];
            f.next[i] = net.neighbour[row][static_cast<std::size_t>(i) + 1];
        }
        const double area = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
        f.flat = !(std::fabs(area) > 0) || !std::isfinite(area) || !std::isfinite(z[0] + z[1] + z[2]);
        const double sign = area > 0 ? 1 : -1;
        for (int i = 0; i < 3; ++i) {
            const int j = (i + 1) % 3;
            const double dx = x[j] - x[i], dy = y[j] - y[i];
            const double length = std::hypot(dx, dy);
            // The inward normal of side i-j.
            f.nx[i] = length > 0 ? -sign * dy / length : 0;
            f.ny[i] = length > 0 ? sign * dx / length : 0;
            f.c[i] = -(f.nx[i] * x[i] + f.ny[i] * y[i]);
        }
        // Value at the corner across each side, and its distance from it.
        const double zc[3] = {z[2], z[0], z[1]};
        const double xc[3] = {x[2], x[0], x[1]}, yc[3] = {y[2], y[0], y[1]};
        for (int i = 0; i < 3; ++i) {
            f.z[i] = zc[i];
            const double h = f.nx[i] * xc[i] + f.ny[i] * yc[i] + f.c[i];
            if (!(h > 0))
                f.flat = true;
            f.invH[i] = 1 / h;
            f.zh[i] = zc[i] / h;
        }
    }
    fileTriangles(net);
}

// Cells of about one triangle each; a triangle is filed under every cell
// its box (grown by the tolerance) touches.
void BandSurface::fileTriangles(const ContourNetwork& net)
{
    // A triangle's box is worked out when wanted, twice: that costs less
    // than a table of boxes in fresh pages.
    const auto boxOf = [&](int t) {
        const auto row = static_cast<std::size_t>(t);
        std::array<double, 4> box = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
        for (const int v : {net.vertexA[row], net.vertexB[row], net.vertexC[row]}) {
            const auto s = static_cast<std::size_t>(v);
            box[0] = std::min(box[0], double(net.pointX[s]) - tolerance_);
            box[1] = std::min(box[1], double(net.pointY[s]) - tolerance_);
            box[2] = std::max(box[2], double(net.pointX[s]) + tolerance_);
            box[3] = std::max(box[3], double(net.pointY[s]) + tolerance_);
        }
        return box;
    };
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
    const int rows = net.rowCount();
    for (int t = 1; t <= rows; ++t) {
        if (facets_[static_cast<std::size_t>(t)].flat)
            continue;
        const std::array<double, 4> box = boxOf(t);
        minX = std::min(minX, box[0]);
        minY = std::min(minY, box[1]);
        maxX = std::max(maxX, box[2]);
        maxY = std::max(maxY, box[3]);
    }
    if (!(minX <= maxX) || !(minY <= maxY)) {
        cellStart_.assign(2, 0);
        return;
    }
    const double w = std::max(maxX - minX, tolerance_), h = std::max(maxY - minY, tolerance_);
    cell_ = std::sqrt(w * h / std::max(rows, 1));
    cell_ = std::max({cell_, w / 4096, h / 4096});
    x0_ = minX;
    y0_ = minY;
    columns_ = static_cast<int>(w / cell_) + 1;
    rows_ = static_cast<int>(h / cell_) + 1;
    // Each triangle's cells as ranges of columns and rows (at most 4097 of
    // each), worked out once for both the count and the filing.
    std::vector<std::array<std::uint16_t, 4>> spans(static_cast<std::size_t>(rows) + 1);
    const std::size_t cells = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    cellStart_.assign(cells + 1, 0);
    const auto eachCell = [&](const std::array<std::uint16_t, 4>& span, auto&& f) {
        for (std::size_t j = span[2]; j <= span[3]; ++j)
            for (std::size_t i = span[0]; i <= span[1]; ++i)
                f(j * static_cast<std::size_t>(columns_) + i);
    };
    for (int t = 1; t <= rows; ++t) {
        if (facets_[static_cast<std::size_t>(t)].flat)
            continue;
        const std::array<double, 4> box = boxOf(t);
        const auto column = [&](double x) {
            return static_cast<std::uint16_t>(std::clamp(static_cast<int>((x - x0_) / cell_), 0, columns_ - 1));
        };
        const auto row = [&](double y) {
            return static_cast<std::uint16_t>(std::clamp(static_cast<int>((y - y0_) / cell_), 0, rows_ - 1));
        };
        auto& span = spans[static_cast<std::size_t>(t)];
        span = {column(box[0]), column(box[2]), row(box[1]), row(box[3])};
        eachCell(span, [&](std::size_t c) { ++cellStart_[c + 1]; });
    }
    for (std::size_t c = 1; c <= cells; ++c)
        cellStart_[c] += cellStart_[c - 1];
    cellRows_.assign(static_cast<std::size_t>(cellStart_[cells]), 0);
    std::vector<int> fill(cellStart_.begin(), cellStart_.end() - 1);
    for (int t = 1; t <= rows; ++t) {
        if (!facets_[static_cast<std::size_t>(t)].flat)
            eachCell(spans[static_cast<std::size_t>(t)],
                     [&](std::size_t c) { cellRows_[static_cast<std::size_t>(fill[c]++)] = t; });
    }
}

double BandSurface::inside(const Facet& f, double x, double y) const
{
    if (f.flat)
        return -std::numeric_limits<double>::infinity();
    double d = f.nx[0] * x + f.ny[0] * y + f.c[0];
    d = std::min(d, f.nx[1] * x + f.ny[1] * y + f.c[1]);
    return std::min(d, f.nx[2] * x + f.ny[2] * y + f.c[2]);
}

// By the barycentric weights, each kept at 0 or above: a point a rounding
// outside a thin triangle takes the value of the nearest point of it, not
// one far beyond its corners' values.
double BandSurface::valueAt(int t, double x, double y) const
{
    const Facet& f = facets_[static_cast<std::size_t>(t)];
    const double d[3] = {f.nx[0] * x + f.ny[0] * y + f.c[0], f.nx[1] * x + f.ny[1] * y + f.c[1],
                         f.nx[2] * x + f.ny[2] * y + f.c[2]};
    return valueFrom(f, d);
}

int BandSurface::locate(double x, double y, int hint) const
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return 0;
    // A triangle that holds the point outright is taken at once; one that
    // holds it only within the tolerance is taken when none does better,
    // as a thin triangle on the border may come that near a point of its
    // neighbour.
    int best = 0;
    double bestInside = -tolerance_;
    // inside() side by side: a side the point lies further beyond than the
    // best so far settles it, as the least of the three can only be lower.
    // Until a triangle holds the point, that best is below 0.
    const auto consider = [&](int t) {
        const Facet& f = facets_[static_cast<std::size_t>(t)];
        if (f.flat)
            return false;
        double d = f.nx[0] * x + f.ny[0] * y + f.c[0];
        if (d < bestInside)
            return false;
        d = std::min(d, f.nx[1] * x + f.ny[1] * y + f.c[1]);
        if (d < bestInside)
            return false;
        d = std::min(d, f.nx[2] * x + f.ny[2] * y + f.c[2]);
        if (d >= bestInside) {
            bestInside = d;
            best = t;
        }
        return d >= 0;
    };
    if (hint > 0) {
        if (consider(hint))
            return hint;
        for (const int n : facets_[static_cast<std::size_t>(hint)].next) {
            if (n > 0 && consider(n))
                return n;
        }
    }
    const double fx = (x - x0_) / cell_, fy = (y - y0_) / cell_;
    if (!(fx >= 0 && fy >= 0 && fx < columns_ && fy < rows_))
        return best;
    const std::size_t c = static_cast<std::size_t>(fy) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(fx);
    for (int at = cellStart_[c]; at < cellStart_[c + 1]; ++at) {
        if (consider(cellRows_[static_cast<std::size_t>(at)]))
            break;
    }
    return best;
}

double BandSurface::valueFrom(const Facet& f, const double d[3])
{
    if (d[0] >= 0 && d[1] >= 0 && d[2] >= 0)
        return (d[0] * f.zh[0] + d[1] * f.zh[1] + d[2] * f.zh[2]);
    double w[3], sum = 0;
    for (int i = 0; i < 3; ++i) {
        w[i] = std::max(0.0, d[i] * f.invH[i]);
        sum += w[i];
    }
    if (!(sum > 0))
        return f.z[0];
    return (w[0] * f.z[0] + w[1] * f.z[1] + w[2] * f.z[2]) / sum;
}

bool BandSurface::segmentRange(PlanePoint a, PlanePoint b, int& from, Range& range, std::vector<int>* visited,
                               const LevelGuard* guard) const
{
    range.crossesLevel = false;
    int t = from > 0 ? from : locate(a.x, a.y);
    if (t == 0)
        return false;
    bool first = true;
    double entry = 0;  // the value where the segment came into the present triangle
    const auto take = [&](double z) {
        if (first) {
            range.low = range.high = z;
            entry = z;
            first = false;
        }
        range.low = std::min(range.low, z);
        range.high = std::max(range.high, z);
        // Across the guarded level in a triangle of another line of it.
        if (guard && (*guard->own)[static_cast<std::size_t>(t)] != guard->stamp) {
            const double lo = guard->level - guard->margin, hi = guard->level + guard->margin;
            if ((entry < lo && z > hi) || (entry > hi && z < lo))
                range.crossesLevel = true;
        }
        entry = z;
    };
    // The distances from the sides at a point s of the way from a to b.
    const auto takeAt = [&](const Facet& f, const double da[3], const double db[3], double s) {
        const double d[3] = {da[0] + s * (db[0] - da[0]), da[1] + s * (db[1] - da[1]), da[2] + s * (db[2] - da[2])};
        take(valueFrom(f, d));
    };
    const double dx = b.x - a.x, dy = b.y - a.y;
    int previous = 0;
    for (int step = 0; step < kMostSteps; ++step) {
        const Facet& f = facets_[static_cast<std::size_t>(t)];
        if (visited)
            visited->push_back(t);
        double da[3], db[3];
        double lowest = std::numeric_limits<double>::infinity();
        for (int i = 0; i < 3; ++i) {
            da[i] = f.nx[i] * a.x + f.ny[i] * a.y + f.c[i];
            db[i] = f.nx[i] * b.x + f.ny[i] * b.y + f.c[i];
            lowest = std::min(lowest, db[i]);
        }
        if (first)
            take(valueFrom(f, da));
        if (lowest >= -tolerance_) {
            // An end just beyond an inner side may lie outright in the
            // neighbour: it is followed there, the way a point is located.
            int side = 0;
            for (int i = 1; i < 3; ++i) {
                if (db[i] < db[side])
                    side = i;
            }
            const int n = f.next[side];
            if (db[side] < 0 && n > 0 && n != previous && !facets_[static_cast<std::size_t>(n)].flat &&
                inside(facets_[static_cast<std::size_t>(n)], b.x, b.y) > lowest && db[side] < da[side]) {
                takeAt(f, da, db, std::max(0.0, da[side] / (da[side] - db[side])));
                previous = t;
                t = n;
                continue;
            }
            take(valueFrom(f, db));
            from = t;
            return true;
        }
        // The segment leaves t across the first side whose line it passes
        // on the way out, not back into the triangle it came from.
        int side = -1;
        double exitAt = std::numeric_limits<double>::infinity();
        for (int i = 0; i < 3; ++i) {
            // An end within the tolerance beyond a side is on that side.
            if (!(db[i] < -tolerance_) || !(db[i] < da[i]) || (previous != 0 && f.next[i] == previous))
                continue;
            const double s = std::max(0.0, da[i] / (da[i] - db[i]));
            if (s < exitAt) {
                exitAt = s;
                side = i;
            }
        }
        if (side < 0)
            break;
        takeAt(f, da, db, exitAt);
        if (f.next[side] == 0)
            return false;
        previous = t;
        t = f.next[side];
        if (facets_[static_cast<std::size_t>(t)].flat)
            break;
    }
    // Lost on the way: the segment is judged by points along it instead.
    int hint = 0;
    for (int i = 0; i <= kFallbackSamples; ++i) {
        const double s = static_cast<double>(i) / kFallbackSamples;
        const double x = a.x + s * dx, y = a.y + s * dy;
        hint = locate(x, y, hint);
        if (hint == 0)
            return false;
        if (visited)
            visited->push_back(hint);
        t = hint;
        take(valueAt(hint, x, y));
    }
    from = hint;
    return true;
}

bool BandSurface::segmentInBand(PlanePoint a, PlanePoint b, double low, double high, int& from,
                                std::vector<int>* visited, const LevelGuard* guard) const
{
    Range range;
    return segmentRange(a, b, from, range, visited, guard) && range.low > low && range.high < high &&
           !range.crossesLevel;
}

bool segmentsMeet(PlanePoint a, PlanePoint b, PlanePoint c, PlanePoint d)
{
    if (std::max(a.x, b.x) < std::min(c.x, d.x) || std::max(c.x, d.x) < std::min(a.x, b.x) ||
        std::max(a.y, b.y) < std::min(c.y, d.y) || std::max(c.y, d.y) < std::min(a.y, b.y))
        return false;
    const double o1 = orient(a, b, c), o2 = orient(a, b, d);
    const double o3 = orient(c, d, a), o4 = orient(c, d, b);
    if (((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0)))
        return true;
    // Touching or in line: an end on the other segment.
    return (o1 == 0 && within(c.x, a.x, b.x) && within(c.y, a.y, b.y)) ||
           (o2 == 0 && within(d.x, a.x, b.x) && within(d.y, a.y, b.y)) ||
           (o3 == 0 && within(a.x, c.x, d.x) && within(a.y, c.y, d.y)) ||
           (o4 == 0 && within(b.x, c.x, d.x) && within(b.y, c.y, d.y));
}

namespace {

// A polyline's points without repeats in a row, in double precision.
std::vector<PlanePoint> distinctPoints(const std::vector<PlanePoint>& points)
{
    std::vector<PlanePoint> out;
    out.reserve(points.size());
    for (const PlanePoint& p : points) {
        if (out.empty() || !(out.back() == p))
            out.push_back(p);
    }
    return out;
}

// Counts the pairs of meeting segments among the polylines: segments are
// filed by cells of about twice their mean length, and a pair is counted
// only in the cell that holds the low corner of where their boxes overlap.
} // namespace

void forEachCrossing(const std::vector<std::vector<PlanePoint>>& lines, const std::vector<bool>& closed,
                     const std::function<void(int, int, int, int)>& meet)
{
    struct Segment {
        PlanePoint a, b;
        int line;
        int index;
    };
    std::vector<Segment> segments;
    std::vector<int> lastIndex(lines.size(), 0);
    double total = 0;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const auto& pts = lines[l];
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
            segments.push_back({pts[i], pts[i + 1], static_cast<int>(l), static_cast<int>(i)});
            total += std::hypot(pts[i + 1].x - pts[i].x, pts[i + 1].y - pts[i].y);
        }
        lastIndex[l] = static_cast<int>(pts.size()) - 2;
    }
    if (segments.size() < 2)
        return;
    const double cell = std::max(2 * total / static_cast<double>(segments.size()), 1e-9);
    const auto cellOf = [cell](double v) { return static_cast<long long>(std::floor(v / cell)); };
    std::vector<std::pair<unsigned long long, int>> filed;
    filed.reserve(segments.size() * 2);
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const Segment& g = segments[s];
        for (long long iy = cellOf(std::min(g.a.y, g.b.y)); iy <= cellOf(std::max(g.a.y, g.b.y)); ++iy)
            for (long long ix = cellOf(std::min(g.a.x, g.b.x)); ix <= cellOf(std::max(g.a.x, g.b.x)); ++ix)
                filed.emplace_back(cellKey(ix, iy), static_cast<int>(s));
    }
    std::sort(filed.begin(), filed.end());
    const auto neighbours = [&](const Segment& p, const Segment& q) {
        if (p.line != q.line)
            return false;
        const int gap = std::abs(p.index - q.index);
        if (gap <= 1)
            return true;
        // A closed line's last segment ends where its first begins.
        return closed[static_cast<std::size_t>(p.line)] && gap == lastIndex[static_cast<std::size_t>(p.line)];
    };
    for (std::size_t lo = 0; lo < filed.size();) {
        std::size_t hi = lo;
        while (hi < filed.size() && filed[hi].first == filed[lo].first)
            ++hi;
        for (std::size_t i = lo; i < hi; ++i) {
            const Segment& p = segments[static_cast<std::size_t>(filed[i].second)];
            for (std::size_t j = i + 1; j < hi; ++j) {
                const Segment& q = segments[static_cast<std::size_t>(filed[j].second)];
                if (neighbours(p, q))
                    continue;
                const double cx = std::max(std::min(p.a.x, p.b.x), std::min(q.a.x, q.b.x));
                const double cy = std::max(std::min(p.a.y, p.b.y), std::min(q.a.y, q.b.y));
                if (cellKey(cellOf(cx), cellOf(cy)) != filed[lo].first)
                    continue;
                if (segmentsMeet(p.a, p.b, q.a, q.b))
                    meet(p.line, p.index, q.line, q.index);
            }
        }
        lo = hi;
    }
}

namespace {

long crossingPairs(const std::vector<std::vector<PlanePoint>>& lines, const std::vector<bool>& closed)
{
    long pairs = 0;
    forEachCrossing(lines, closed, [&](int, int, int, int) { ++pairs; });
    return pairs;
}

} // namespace

long countCrossings(const std::vector<std::vector<PlanePoint>>& lines)
{
    std::vector<std::vector<PlanePoint>> distinct;
    std::vector<bool> closed;
    for (const auto& line : lines) {
        distinct.push_back(distinctPoints(line));
        closed.push_back(distinct.back().size() > 2 && distinct.back().front() == distinct.back().back());
    }
    return crossingPairs(distinct, closed);
}

CrossingReport checkCurves(const std::vector<DrawnCurve>& curves, const BandSurface& band, double interval)
{
    CrossingReport report;
    std::vector<std::vector<PlanePoint>> lines;
    std::vector<bool> closed;
    for (const DrawnCurve& curve : curves) {
        std::vector<PlanePoint> pts;
        pts.reserve(curve.points.size());
        for (const SplinePoint& p : curve.points)
            pts.push_back(plane(p));
        pts = distinctPoints(pts);
        const double low = curve.level - interval / 2, high = curve.level + interval / 2;
        int hint = 0;
        for (const PlanePoint& p : pts) {
            hint = band.locate(p.x, p.y, hint);
            const double z = hint > 0 ? band.valueAt(hint, p.x, p.y) : 0;
            if (hint == 0 || !(z > low && z < high))
                ++report.outOfBandPoints;
        }
        bool outside = false;
        int from = 0;
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
            const bool in = band.segmentInBand(pts[i], pts[i + 1], low, high, from);
            if (!in) {
                ++report.outOfBandSegments;
                if (!outside)
                    ++report.outOfBand;
                from = 0;
            }
            outside = !in;
        }
        closed.push_back(curve.closed && pts.size() > 2 && pts.front() == pts.back());
        lines.push_back(std::move(pts));
    }
    std::vector<std::pair<int, int>> pairs;
    forEachCrossing(lines, closed, [&](int a, int, int b, int) {
        ++report.crossingPairs;
        pairs.emplace_back(std::min(a, b), std::max(a, b));
    });
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    for (const auto& [a, b] : pairs)
        ++(a == b ? report.selfCrossing : report.curvePairs);
    return report;
}

} // namespace tervane
