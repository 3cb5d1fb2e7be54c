#include "engine/contour/BandFill.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <utility>

namespace tervane {

namespace {

// Where a point meets the outline: which loop, which side (from corner
// `side` to the next), and how far along the loop from its first corner.
struct OutlinePlace {
    int loop = -1;
    int side = 0;
    double along = 0;
    PlanePoint at;
};

// A loop with the length run up to each corner, for walking along it.
struct MeasuredLoop {
    const OutlineLoop* loop = nullptr;
    std::vector<double> start;  // length from corner 0 to corner i
    double perimeter = 0;

    std::size_t size() const { return loop->points.size(); }
    const PlanePoint& corner(std::size_t i) const { return loop->points[i % size()]; }
};

std::vector<MeasuredLoop> measure(const NetworkOutline& outline)
{
    std::vector<MeasuredLoop> out;
    for (const OutlineLoop& loop : outline.loops) {
        MeasuredLoop m;
        m.loop = &loop;
        double run = 0;
        for (std::size_t i = 0; i < loop.points.size(); ++i) {
            m.start.push_back(run);
            const PlanePoint& a = loop.points[i];
            const PlanePoint& b = loop.points[(i + 1) % loop.points.size()];
            run += std::hypot(b.x - a.x, b.y - a.y);
        }
        m.perimeter = run;
        out.push_back(std::move(m));
    }
    return out;
}

// The nearest point of the outline to p.
OutlinePlace nearestOnOutline(const std::vector<MeasuredLoop>& loops, PlanePoint p)
{
    OutlinePlace best;
    double bestDistance = INFINITY;
    for (std::size_t l = 0; l < loops.size(); ++l) {
        const MeasuredLoop& m = loops[l];
        for (std::size_t i = 0; i < m.size(); ++i) {
            const PlanePoint& a = m.corner(i);
            const PlanePoint& b = m.corner(i + 1);
            const double dx = b.x - a.x;
            const double dy = b.y - a.y;
            const double length2 = dx * dx + dy * dy;
            double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const PlanePoint q{a.x + t * dx, a.y + t * dy};
            const double d = std::hypot(p.x - q.x, p.y - q.y);
            if (d < bestDistance) {
                bestDistance = d;
                best = {static_cast<int>(l), static_cast<int>(i), m.start[i] + t * std::sqrt(length2), q};
            }
        }
    }
    return best;
}

// How far forward along the loop `to` lies from `from`, in [0, perimeter).
double forwardGap(const MeasuredLoop& m, double from, double to)
{
    double d = std::fmod(to - from, m.perimeter);
    if (d < 0)
        d += m.perimeter;
    return d;
}

// Appends the corners passed walking from place a to place b along the
// loop, forward (the corners' order) or back.
void walkOutline(const MeasuredLoop& m, const OutlinePlace& a, const OutlinePlace& b, bool forward, Ring& ring)
{
    const std::size_t n = m.size();
    const auto sa = static_cast<std::size_t>(a.side);
    const auto sb = static_cast<std::size_t>(b.side);
    if (forward) {
        if (sa == sb && b.along >= a.along)
            return;
        // Corners sa+1 .. sb, wrapping.
        for (std::size_t i = (sa + 1) % n, steps = 0; steps < n; i = (i + 1) % n, ++steps) {
            ring.push_back(m.corner(i));
            if (i == sb)
                break;
        }
    } else {
        if (sa == sb && b.along <= a.along)
            return;
        // Corners sa .. sb+1, backwards, wrapping.
        for (std::size_t i = sa, steps = 0; steps < n; i = (i + n - 1) % n, ++steps) {
            ring.push_back(m.corner(i));
            if (i == (sb + 1) % n)
                break;
        }
    }
}

// Walks from place a to place b along their loop the shorter way round,
// ending on b.
void walkShorter(const MeasuredLoop& m, const OutlinePlace& a, const OutlinePlace& b, Ring& ring)
{
    const double ahead = forwardGap(m, a.along, b.along);
    walkOutline(m, a, b, ahead <= m.perimeter - ahead, ring);
    if (ring.empty() || !(ring.back() == b.at))
        ring.push_back(b.at);
}

// A corner of a loop as a place on it.
OutlinePlace cornerPlace(const std::vector<MeasuredLoop>& loops, int loop, std::size_t corner)
{
    const MeasuredLoop& m = loops[static_cast<std::size_t>(loop)];
    return {loop, static_cast<int>(corner), m.start[corner], m.corner(corner)};
}

// The nearest two corners of two loops: the bridge that every line from
// one loop to the other is closed over, the same whichever way the line
// runs. Its copies cancel under the even-odd rule, as such lines come in
// pairs.
std::pair<OutlinePlace, OutlinePlace> bridge(const std::vector<MeasuredLoop>& loops, int from, int to)
{
    if (from > to) {
        const auto [a, b] = bridge(loops, to, from);
        return {b, a};
    }
    const MeasuredLoop& a = loops[static_cast<std::size_t>(from)];
    const MeasuredLoop& b = loops[static_cast<std::size_t>(to)];
    std::size_t bestA = 0, bestB = 0;
    double best = INFINITY;
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            const double d = std::hypot(a.corner(i).x - b.corner(j).x, a.corner(i).y - b.corner(j).y);
            if (d < best) {
                best = d;
                bestA = i;
                bestB = j;
            }
        }
    }
    return {cornerPlace(loops, from, bestA), cornerPlace(loops, to, bestB)};
}

PlanePoint asPlane(SplinePoint p) { return {p.x, p.y}; }

// The drawn points of a curve, repeats dropped (a closed curve's closing
// point too), each moved onto the outline when it lies outside it.
Ring curvePoints(const DrawnCurve& curve, const std::vector<MeasuredLoop>& loops, const BandSurface* inside)
{
    Ring out;
    out.reserve(curve.points.size());
    int hint = 0;
    for (const SplinePoint& s : curve.points) {
        PlanePoint p = asPlane(s);
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            continue;
        if (inside) {
            const int t = inside->locate(p.x, p.y, hint);
            if (t == 0)
                p = nearestOnOutline(loops, p).at;
            else
                hint = t;
        }
        if (out.empty() || !(out.back() == p))
            out.push_back(p);
    }
    if (curve.closed && out.size() > 1 && out.front() == out.back())
        out.pop_back();
    return out;
}

// Whether p lies inside the ring (crossing count).
bool contains(const Ring& ring, PlanePoint p)
{
    bool in = false;
    const std::size_t n = ring.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const PlanePoint& a = ring[i];
        const PlanePoint& b = ring[j];
        if ((a.y > p.y) != (b.y > p.y)) {
            const double x = a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
            if (p.x < x)
                in = !in;
        }
    }
    return in;
}

struct Box {
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    bool holds(PlanePoint p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
};

Box boxOf(const Ring& ring)
{
    Box b;
    for (const PlanePoint& p : ring) {
        b.x0 = std::min(b.x0, p.x);
        b.y0 = std::min(b.y0, p.y);
        b.x1 = std::max(b.x1, p.x);
        b.y1 = std::max(b.y1, p.y);
    }
    return b;
}

// A point just inside the ring, beside the middle of its longest side: not
// on the ring, and (for rings that do not cross) inside exactly the rings
// that hold the ring itself.
PlanePoint probeOf(const Ring& ring, double signedArea)
{
    std::size_t longest = 0;
    double longestLength = -1;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PlanePoint& a = ring[i];
        const PlanePoint& b = ring[(i + 1) % ring.size()];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (length > longestLength) {
            longestLength = length;
            longest = i;
        }
    }
    const PlanePoint& a = ring[longest];
    const PlanePoint& b = ring[(longest + 1) % ring.size()];
    // The inside lies to the left of a counter-clockwise ring.
    const double side = signedArea > 0 ? 1 : -1;
    const double step = 1e-6 * side;
    return {(a.x + b.x) / 2 - step * (b.y - a.y), (a.y + b.y) / 2 + step * (b.x - a.x)};
}

// Rings with their boxes, for asking how many of them go round a point.
class RingSet {
public:
    explicit RingSet(const std::vector<Ring>& rings) : rings_(rings)
    {
        for (const Ring& r : rings)
            boxes_.push_back(boxOf(r));
    }
    bool parity(PlanePoint p) const
    {
        bool odd = false;
        for (std::size_t i = 0; i < rings_.size(); ++i) {
            if (rings_[i].size() >= 3 && boxes_[i].holds(p) && contains(rings_[i], p))
                odd = !odd;
        }
        return odd;
    }

private:
    const std::vector<Ring>& rings_;
    std::vector<Box> boxes_;
};

// A point beside the middle of side i of a loop, a small share of the way
// towards its triangle's third corner (or as far away from it when the
// step is negative), with the surface's value there.
struct Probe {
    PlanePoint at;
    double z = 0;
};

Probe besideSide(const OutlineLoop& loop, std::size_t i, double step)
{
    const std::size_t n = loop.points.size();
    const PlanePoint& a = loop.points[i];
    const PlanePoint& b = loop.points[(i + 1) % n];
    const PlanePoint mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const PlanePoint& c = loop.inward[i];
    const double zMid = (loop.z[i] + loop.z[(i + 1) % n]) / 2;
    return {{mid.x + step * (c.x - mid.x), mid.y + step * (c.y - mid.y)}, zMid + step * (loop.inwardZ[i] - zMid)};
}

// How far into its triangle a probe goes: well clear of the side in single
// precision, well short of anything else.
constexpr double kProbeStep = 1e-3;
// The sides asked per loop, at most: enough for a clear majority.
constexpr std::size_t kLargestVote = 256;

} // namespace

double ringArea(const Ring& ring)
{
    double twice = 0;
    const std::size_t n = ring.size();
    for (std::size_t i = 0; i < n; ++i) {
        const PlanePoint& a = ring[i];
        const PlanePoint& b = ring[(i + 1) % n];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2;
}

double evenOddArea(const std::vector<Ring>& rings)
{
    struct Entry {
        const Ring* ring;
        double area;  // unsigned
        Box box;
        PlanePoint probe;
    };
    std::vector<Entry> entries;
    for (const Ring& r : rings) {
        if (r.size() < 3)
            continue;
        const double a = ringArea(r);
        if (a == 0)
            continue;
        entries.push_back({&r, std::abs(a), boxOf(r), probeOf(r, a)});
    }
    // A ring can only lie inside a larger one (or an equal one: the same
    // ring twice, which cancels).
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.area > b.area; });
    double total = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        int depth = 0;
        for (std::size_t j = 0; j < i; ++j) {
            if (entries[j].box.holds(entries[i].probe) &&
                contains(*entries[j].ring, entries[i].probe))
                ++depth;
        }
        total += depth % 2 == 0 ? entries[i].area : -entries[i].area;
    }
    return total;
}

double NetworkOutline::area() const
{
    std::vector<Ring> rings;
    for (const OutlineLoop& loop : loops)
        rings.push_back(loop.points);
    return evenOddArea(rings);
}

NetworkOutline networkOutline(const ContourNetwork& net)
{
    // Border sides by their corners; a corner where the outline touches
    // itself has four, taken in pairs as they come.
    std::vector<std::array<int, 2>> sides;
    std::vector<int> across;  // the third corner of each side's triangle
    std::multimap<int, std::size_t> byCorner;
    for (int t = 1; t <= net.rowCount(); ++t) {
        for (int side = 1; side <= 3; ++side) {
            if (net.neighbour[static_cast<std::size_t>(t)][static_cast<std::size_t>(side)] != 0)
                continue;
            const std::array<int, 2> ends = net.sideEnds(t, side);
            if (ends[0] == ends[1])
                continue;
            const auto i = static_cast<std::size_t>(t);
            int third = net.vertexA[i];
            for (const int v : {net.vertexA[i], net.vertexB[i], net.vertexC[i]})
                if (v != ends[0] && v != ends[1])
                    third = v;
            byCorner.emplace(ends[0], sides.size());
            byCorner.emplace(ends[1], sides.size());
            sides.push_back(ends);
            across.push_back(third);
        }
    }
    std::vector<bool> used(sides.size(), false);
    NetworkOutline outline;
    for (std::size_t first = 0; first < sides.size(); ++first) {
        if (used[first])
            continue;
        used[first] = true;
        std::vector<int> corners{sides[first][0]};
        std::vector<int> thirds{across[first]};
        int at = sides[first][1];
        while (at != corners.front()) {
            corners.push_back(at);
            std::size_t next = sides.size();
            auto [lo, hi] = byCorner.equal_range(at);
            for (auto it = lo; it != hi; ++it) {
                if (!used[it->second]) {
                    next = it->second;
                    break;
                }
            }
            if (next == sides.size())
                break;  // an outline that does not close: take it as far as it goes
            used[next] = true;
            thirds.push_back(across[next]);
            at = sides[next][0] == at ? sides[next][1] : sides[next][0];
        }
        if (corners.size() < 3)
            continue;
        // A loop that did not close has one side fewer than corners; its
        // last side borrows the triangle of the one before.
        while (thirds.size() < corners.size())
            thirds.push_back(thirds.back());
        OutlineLoop loop;
        for (std::size_t c = 0; c < corners.size(); ++c) {
            const auto i = static_cast<std::size_t>(corners[c]);
            const auto o = static_cast<std::size_t>(thirds[c]);
            loop.points.push_back({net.pointX[i], net.pointY[i]});
            loop.z.push_back(net.pointZ[i]);
            loop.inward.push_back({net.pointX[o], net.pointY[o]});
            loop.inwardZ.push_back(net.pointZ[o]);
        }
        outline.loops.push_back(std::move(loop));
    }
    return outline;
}

namespace {

std::vector<Ring> regionRings(const NetworkOutline& outline, const LevelCurves& level, const BandSurface* inside,
                              bool* bridged)
{
    const std::vector<MeasuredLoop> loops = measure(outline);
    std::vector<Ring> rings;
    for (const DrawnCurve* curve : level.curves) {
        Ring points = curvePoints(*curve, loops, inside);
        if (points.size() < 2)
            continue;
        if (curve->closed || loops.empty()) {
            if (points.size() >= 3)
                rings.push_back(std::move(points));
            continue;
        }
        const OutlinePlace start = nearestOnOutline(loops, points.front());
        const OutlinePlace end = nearestOnOutline(loops, points.back());
        Ring ring = std::move(points);
        if (!(ring.back() == end.at))
            ring.push_back(end.at);
        if (start.loop == end.loop) {
            const MeasuredLoop& m = loops[static_cast<std::size_t>(start.loop)];
            // Back to the start the shorter way round.
            const double ahead = forwardGap(m, end.along, start.along);
            const bool forward = ahead <= m.perimeter - ahead;
            walkOutline(m, end, start, forward, ring);
        } else {
            // From one loop to another (round a hole in the network): back
            // along the end's loop to the bridge, over it, and along the
            // start's loop.
            const auto [there, here] = bridge(loops, end.loop, start.loop);
            walkShorter(loops[static_cast<std::size_t>(end.loop)], end, there, ring);
            ring.push_back(here.at);
            walkShorter(loops[static_cast<std::size_t>(start.loop)], here, start, ring);
            if (bridged)
                *bridged = true;
        }
        if (!(ring.front() == start.at))
            ring.push_back(start.at);
        if (ring.size() >= 3)
            rings.push_back(std::move(ring));
    }
    // The rings so far give, next to the outline, the region or its
    // complement: which one, points just inside the outline tell by
    // majority (one beside a line's end may disagree).
    long agree = 0;
    long disagree = 0;
    const RingSet curveRings(rings);
    for (const OutlineLoop& loop : outline.loops) {
        const std::size_t n = loop.points.size();
        const std::size_t stride = n > kLargestVote ? n / kLargestVote + 1 : 1;
        for (std::size_t i = 0; i < n; i += stride) {
            const Probe probe = besideSide(loop, i, kProbeStep);
            const bool wanted = probe.z >= level.traced;
            (curveRings.parity(probe.at) == wanted ? agree : disagree) += 1;
        }
    }
    if (disagree > agree) {
        for (const OutlineLoop& loop : outline.loops)
            rings.push_back(loop.points);
    }
    // No fill in a hole of the network: a loop whose far side the rings
    // would fill joins them, which empties it.
    const RingSet withLoops(rings);
    std::vector<Ring> holes;
    for (const OutlineLoop& loop : outline.loops) {
        if (loop.points.size() >= 3 && withLoops.parity(besideSide(loop, 0, -kProbeStep).at))
            holes.push_back(loop.points);
    }
    rings.insert(rings.end(), holes.begin(), holes.end());
    return rings;
}

// The even-odd area of any rings, crossing or not, strip by strip between
// the heights of their corners: within a strip the filled width changes
// linearly unless two sides cross there, so its middle gives the strip's
// area exactly for rings that do not cross.
double stripArea(const std::vector<Ring>& rings)
{
    struct Side {
        PlanePoint low, high;
    };
    std::vector<Side> sides;
    std::vector<double> heights;
    for (const Ring& r : rings) {
        if (r.size() < 3)
            continue;
        for (std::size_t i = 0; i < r.size(); ++i) {
            const PlanePoint& a = r[i];
            const PlanePoint& b = r[(i + 1) % r.size()];
            heights.push_back(a.y);
            if (a.y != b.y)
                sides.push_back(a.y < b.y ? Side{a, b} : Side{b, a});
        }
    }
    std::sort(heights.begin(), heights.end());
    heights.erase(std::unique(heights.begin(), heights.end()), heights.end());
    std::sort(sides.begin(), sides.end(), [](const Side& a, const Side& b) { return a.low.y < b.low.y; });
    std::vector<const Side*> active;
    std::vector<double> xs;
    std::size_t next = 0;
    double total = 0;
    for (std::size_t h = 0; h + 1 < heights.size(); ++h) {
        const double y = (heights[h] + heights[h + 1]) / 2;
        while (next < sides.size() && sides[next].low.y < y)
            active.push_back(&sides[next++]);
        std::erase_if(active, [y](const Side* s) { return s->high.y <= y; });
        xs.clear();
        for (const Side* s : active)
            xs.push_back(s->low.x + (y - s->low.y) / (s->high.y - s->low.y) * (s->high.x - s->low.x));
        std::sort(xs.begin(), xs.end());
        double width = 0;
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2)
            width += xs[k + 1] - xs[k];
        total += width * (heights[h + 1] - heights[h]);
    }
    return total;
}

} // namespace

std::vector<Ring> regionAtOrAbove(const NetworkOutline& outline, const LevelCurves& level, const BandSurface* inside)
{
    return regionRings(outline, level, inside, nullptr);
}

std::vector<FilledBand> makeFilledBands(const NetworkOutline& outline, const std::vector<LevelCurves>& levels,
                                        const BandSurface* inside)
{
    std::vector<std::vector<Ring>> regions;
    std::vector<double> areas;
    regions.reserve(levels.size());
    for (const LevelCurves& level : levels) {
        bool bridged = false;
        regions.push_back(regionRings(outline, level, inside, &bridged));
        // Bridged rings overlap one another, which the nesting count of
        // evenOddArea cannot take.
        areas.push_back(bridged ? stripArea(regions.back()) : evenOddArea(regions.back()));
    }
    std::vector<FilledBand> bands;
    for (std::size_t i = 0; i + 1 < levels.size(); ++i) {
        FilledBand band;
        band.lowerLevel = static_cast<int>(i);
        band.low = levels[i].level;
        band.high = levels[i + 1].level;
        band.rings = regions[i];
        band.rings.insert(band.rings.end(), regions[i + 1].begin(), regions[i + 1].end());
        // The difference of the two regions rather than the area of the
        // rings together: the same where the curves keep apart, and where
        // unmended curves of two levels cross, still a share of the map
        // that adds up with the others to the whole.
        band.area = areas[i] - areas[i + 1];
        // A level wholly outside the values gives the same region as its
        // neighbour, and the band between them has nothing in it. (Crossing
        // curves may leave a band that fills something a difference of no
        // area: it is drawn all the same.)
        if (band.rings.empty() || (band.area <= 0 && regions[i] == regions[i + 1]))
            continue;
        bands.push_back(std::move(band));
    }
    return bands;
}

} // namespace tervane
