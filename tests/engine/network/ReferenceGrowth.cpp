#include "engine/network/ReferenceGrowth.h"

#include "engine/network/PointBuckets.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <unordered_map>

namespace tervane::reference {

namespace {

// Which side of the line through A and B the point (x, y) lies on: -1, 0 or
// +1. Vertical and horizontal edges are tested against B's coordinate; other
// edges through slope and intercept, so the sign follows y - (m x + b).
int sideOfLine(double xA, double yA, double xB, double yB, double x, double y)
{
    double v;
    if (xB - xA == 0) {
        v = xB - x;
    } else if (yB - yA == 0) {
        v = yB - y;
    } else {
        const double m = (yB - yA) / (xB - xA);
        const double b = (xB * yA - xA * yB) / (xB - xA);
        v = y - m * x - b;
    }
    return (v > 0) - (v < 0);
}

std::array<double, 2> incentreOf(double x1, double y1, double x2, double y2, double x3, double y3)
{
    const double s1 = std::hypot(x3 - x2, y3 - y2);
    const double s2 = std::hypot(x3 - x1, y3 - y1);
    const double s3 = std::hypot(x2 - x1, y2 - y1);
    const double sum = s1 + s2 + s3;
    return {(s1 * x1 + s2 * x2 + s3 * x3) / sum, (s1 * y1 + s2 * y2 + s3 * y3) / sum};
}

// 1 - cos of the angle APB from the squared side lengths; larger means the
// point sees the edge AB under a larger angle.
double angleMeasure(double pa2, double pb2, double ab2)
{
    return 1 - (pa2 + pb2 - ab2) / (2 * std::sqrt(pa2) * std::sqrt(pb2));
}

class Builder {
public:
    Builder(const std::vector<double>& x, const std::vector<double>& y,
            const std::vector<double>& z, long n, const TriangulationCallbacks& callbacks)
        : x_(x), y_(y), z_(z), n_(n), cb_(callbacks), cap_(tervane::triangleCap(n)), buckets_(x, y, n)
    {
        const auto reserve = static_cast<std::size_t>(2 * n + 8);
        Triangulation& t = tables_;
        for (auto* v : {&t.vertexA, &t.vertexB, &t.vertexC})
            v->reserve(reserve);
        for (auto* v : {&t.centreX, &t.centreY, &t.centreZ})
            v->reserve(reserve);
        t.neighbour.reserve(reserve);
        byVertices_.reserve(reserve);
    }

    TriangulationEnd run();
    Triangulation& tables() { return tables_; }

private:
    // What an edge search ended with.
    enum class Step { Done, Stop, Cap };

    // The point beyond an edge with the largest measure, and the tie list.
    struct FarPoint {
        int index = 0;
        std::vector<int> ties;
    };

    double dist2(long i, long j) const
    {
        const double dx = x_[i] - x_[j];
        const double dy = y_[i] - y_[j];
        return dx * dx + dy * dy;
    }
    bool makeSeed();
    Step searchEdge(int t, int e, int a, int b, int c);
    FarPoint pickFarPoint(int a, int b, int c, const std::vector<int>* subset) const;
    void gatherNearby(int a, int b, int c, std::vector<int>& out) const;
    double reachOf(int a, int b, int p, double measure, double mx, double my) const;
    Step resolveTies(int t, int e, int a, int b, const std::vector<int>& ties);
    Step createTriangle(int a, int b, int p, int& created);
    int findSame(int a, int b, int p) const;
    void reconcileNeighbours();

    static std::uint64_t key(int a, int b, int c)
    {
        std::array<std::uint64_t, 3> v{std::uint64_t(a), std::uint64_t(b), std::uint64_t(c)};
        std::sort(v.begin(), v.end());
        return (v[0] << 42) | (v[1] << 21) | v[2];
    }

    const std::vector<double>& x_;
    const std::vector<double>& y_;
    const std::vector<double>& z_;
    long n_;
    const TriangulationCallbacks& cb_;
    long cap_;
    Triangulation tables_;
    std::unordered_map<std::uint64_t, int> byVertices_;
    PointBuckets buckets_;
    std::vector<int> nearby_;
};

// Seed: point 1, its nearest point (lowest index on a tie), and the point
// that sees that edge under the largest angle (last index on a tie).
bool Builder::makeSeed()
{
    // An exact copy of point 1 cannot span an edge, so it is passed over.
    const int a = 1;
    int b = 0;
    double best = 0;
    for (long i = 2; i <= n_; ++i) {
        const double d = dist2(a, i);
        if (d > 0 && (b == 0 || d < best)) {
            best = d;
            b = static_cast<int>(i);
        }
    }
    if (b == 0)
        return false;
    int c = 0;
    double bestMeasure = 0;
    const double ab2 = dist2(a, b);
    for (long i = 1; i <= n_; ++i) {
        if (cb_.seedScanned)
            cb_.seedScanned(i, n_);
        if (i == a || i == b || i == c)
            continue;
        const double m = angleMeasure(dist2(i, a), dist2(i, b), ab2);
        if (m >= bestMeasure) {
            bestMeasure = m;
            c = static_cast<int>(i);
        }
    }
    // Collinear points have no area; rounding can leave them a measure a
    // little above zero, so the area is judged relative to the sides.
    if (c == 0 || !(bestMeasure > 0))
        return false;
    const double cross = (x_[b] - x_[a]) * (y_[c] - y_[a]) - (y_[b] - y_[a]) * (x_[c] - x_[a]);
    if (std::fabs(cross) <= 1e-12 * std::sqrt(ab2 * dist2(a, c)))
        return false;
    int created = 0;
    return createTriangle(a, b, c, created) == Step::Done;
}

TriangulationEnd Builder::run()
{
    if (n_ < 3)
        return TriangulationEnd::NoTriangle;
    if (tables_.count == 0 && !makeSeed())
        return tables_.count == 0 ? TriangulationEnd::NoTriangle : TriangulationEnd::Stopped;
    tables_.cursor = 1;
    for (;;) {
        const int t = tables_.cursor;
        int v[3] = {tables_.vertexA[t], tables_.vertexB[t], tables_.vertexC[t]};
        for (int e = 1; e <= 3; ++e) {
            const Step s = searchEdge(t, e, v[0], v[1], v[2]);
            if (s == Step::Stop)
                return TriangulationEnd::Stopped;
            if (s == Step::Cap) {
                tables_.cursor = tables_.count;
                reconcileNeighbours();
                return TriangulationEnd::CapReached;
            }
            std::rotate(v, v + 1, v + 3);
        }
        if (tables_.cursor < tables_.count)
            ++tables_.cursor;
        else
            break;
    }
    reconcileNeighbours();
    return TriangulationEnd::Complete;
}

// The largest angle measure among the points strictly on the far side of
// edge a-b from c, in index order: points 1..n, or the sorted subset given.
// Exact ties go to the tie list as (current best, point) pairs.
Builder::FarPoint Builder::pickFarPoint(int a, int b, int c, const std::vector<int>* subset) const
{
    const double xA = x_[a], yA = y_[a], xB = x_[b], yB = y_[b];
    const int sC = sideOfLine(xA, yA, xB, yB, x_[c], y_[c]);
    const double ab2 = dist2(a, b);
    double bestMeasure = 0;
    FarPoint best;
    const std::size_t count = subset ? subset->size() : static_cast<std::size_t>(n_);
    for (std::size_t k = 0; k < count; ++k) {
        const long p = subset ? (*subset)[k] : static_cast<long>(k + 1);
        if (p == a || p == b)
            continue;
        const int sP = sideOfLine(xA, yA, xB, yB, x_[p], y_[p]);
        if (sP == 0 || sC == 0 || sP == sC)
            continue;
        const double m = angleMeasure(dist2(p, a), dist2(p, b), ab2);
        if (best.index != 0 && m == bestMeasure) {
            best.ties.push_back(best.index);
            best.ties.push_back(static_cast<int>(p));
        } else if (m > bestMeasure) {
            bestMeasure = m;
            best.index = static_cast<int>(p);
            best.ties.clear();
        }
    }
    return best;
}

// How far from the edge's midpoint (mx, my) a point can lie and still see
// edge a-b at least as well as p does: it must lie in the circle through a,
// b and p. The margin grows as the measure shrinks, so rounding in the
// measure can never favour a point left out.
double Builder::reachOf(int a, int b, int p, double measure, double mx, double my) const
{
    const double bx = x_[b] - x_[a], by = y_[b] - y_[a];
    const double px = x_[p] - x_[a], py = y_[p] - y_[a];
    const double d = 2 * (bx * py - by * px);
    const double b2 = bx * bx + by * by, p2 = px * px + py * py;
    const double ux = (py * b2 - by * p2) / d, uy = (bx * p2 - px * b2) / d;
    const double radius = std::hypot(ux, uy);
    const double margin = std::max(1e-3, 1e-12 / measure);
    const double reach = std::hypot(x_[a] + ux - mx, y_[a] + uy - my) + radius * (1 + margin);
    return std::isfinite(reach) ? reach : std::numeric_limits<double>::infinity();
}

// Collects, in index order, every point that could be the far point of
// edge a-b: rings of cells around the midpoint until the best point found
// so far bounds the search.
void Builder::gatherNearby(int a, int b, int c, std::vector<int>& out) const
{
    out.clear();
    const double xA = x_[a], yA = y_[a], xB = x_[b], yB = y_[b];
    const int sC = sideOfLine(xA, yA, xB, yB, x_[c], y_[c]);
    if (sC == 0)
        return;  // no point is beyond an edge whose own triangle is flat
    const double ab2 = dist2(a, b);
    const double mx = (xA + xB) / 2, my = (yA + yB) / 2;
    const int mc = buckets_.column(mx), mr = buckets_.row(my);
    double bestMeasure = 0, reach = std::numeric_limits<double>::infinity();
    int best = 0;
    const int last = buckets_.lastRing(mc, mr);
    for (int ring = 0; ring <= last; ++ring) {
        // One ring more than the bare bound, against rounding at cell edges.
        if (best != 0 && (ring - 1) * buckets_.cellSize() > reach)
            break;
        bool improved = false;
        buckets_.visitRing(mc, mr, ring, [&](int p) {
            out.push_back(p);
            if (p == a || p == b)
                return;
            const int sP = sideOfLine(xA, yA, xB, yB, x_[p], y_[p]);
            if (sP == 0 || sP == sC)
                return;
            const double m = angleMeasure(dist2(p, a), dist2(p, b), ab2);
            if (m > bestMeasure) {
                bestMeasure = m;
                best = p;
                improved = true;
            }
        });
        if (improved)
            reach = reachOf(a, b, best, bestMeasure, mx, my);
    }
    std::sort(out.begin(), out.end());
}

// Finds the triangle across edge a-b of triangle t (reference vertex c):
// the far point makes it, or names the triangle already made with it.
Builder::Step Builder::searchEdge(int t, int e, int a, int b, int c)
{
    const std::vector<int>* subset = nullptr;
    if (buckets_.usable()) {
        gatherNearby(a, b, c, nearby_);
        subset = &nearby_;
    }
    const FarPoint far = pickFarPoint(a, b, c, subset);
    const auto row = static_cast<std::size_t>(t);
    const auto col = static_cast<std::size_t>(e);
    if (far.index == 0) {
        tables_.neighbour[row][col] = 0;
        return Step::Done;
    }
    if (!far.ties.empty())
        return resolveTies(t, e, a, b, far.ties);
    int k = findSame(a, b, far.index);
    const Step s = k != 0 ? Step::Done : createTriangle(a, b, far.index, k);
    tables_.neighbour[row][col] = k;
    return s;
}

// With ties, the first listed point whose triangle exists already is the
// neighbour; when none exists, the last listed point makes a new triangle.
Builder::Step Builder::resolveTies(int t, int e, int a, int b, const std::vector<int>& ties)
{
    int k = 0;
    for (int p : ties) {
        k = findSame(a, b, p);
        if (k != 0)
            break;
    }
    const Step s = k != 0 ? Step::Done : createTriangle(a, b, ties.back(), k);
    tables_.neighbour[static_cast<std::size_t>(t)][static_cast<std::size_t>(e)] = k;
    return s;
}

int Builder::findSame(int a, int b, int p) const
{
    const auto it = byVertices_.find(key(a, b, p));
    return it == byVertices_.end() ? 0 : it->second;
}

// Adds triangle (a, b, p) with its incentre and the inverse-distance value
// there, then lets the caller draw it and poll Esc.
Builder::Step Builder::createTriangle(int a, int b, int p, int& created)
{
    if (tables_.count >= cap_)
        return Step::Cap;
    const auto o = incentreOf(x_[a], y_[a], x_[b], y_[b], x_[p], y_[p]);
    double sumW = 0, sumWZ = 0;
    for (int v : {a, b, p}) {
        const double w = 1 / (std::hypot(x_[v] - o[0], y_[v] - o[1]) + 1e-7);
        sumW += w;
        sumWZ += w * z_[v];
    }
    Triangulation& t = tables_;
    created = ++t.count;
    t.vertexA.push_back(a);
    t.vertexB.push_back(b);
    t.vertexC.push_back(p);
    t.neighbour.push_back({0, 0, 0, 0});
    t.centreX.push_back(o[0]);
    t.centreY.push_back(o[1]);
    t.centreZ.push_back(sumWZ / sumW);
    byVertices_.emplace(key(a, b, p), created);
    if (cb_.triangleCreated && !cb_.triangleCreated(t, created))
        return Step::Stop;
    return Step::Done;
}

// A reference across an edge stands only when the triangle named has the
// same edge and names this triangle back across it; anything else (possible
// only where exactly cocircular points made crossing triangles) becomes a
// hull edge, so later stages never walk into a triangle that does not join.
void Builder::reconcileNeighbours()
{
    Triangulation& t = tables_;
    auto edgeEnds = [&t](int tri, int e) {
        const auto i = static_cast<std::size_t>(tri);
        const int v[3] = {t.vertexA[i], t.vertexB[i], t.vertexC[i]};
        const int p = v[e - 1], q = v[e % 3];
        return std::array<int, 2>{std::min(p, q), std::max(p, q)};
    };
    std::vector<std::array<int, 2>> dropped;
    for (int i = 1; i <= t.cursor; ++i) {
        for (int e = 1; e <= 3; ++e) {
            const int k = t.neighbour[static_cast<std::size_t>(i)][static_cast<std::size_t>(e)];
            if (k == 0)
                continue;
            bool back = false;
            for (int f = 1; f <= 3 && !back; ++f)
                back = t.neighbour[static_cast<std::size_t>(k)][static_cast<std::size_t>(f)] == i
                       && edgeEnds(k, f) == edgeEnds(i, e);
            if (!back)
                dropped.push_back({i, e});
        }
    }
    for (const auto& d : dropped)
        t.neighbour[static_cast<std::size_t>(d[0])][static_cast<std::size_t>(d[1])] = 0;
}

} // namespace

TriangulationResult growNetwork(const std::vector<double>& x, const std::vector<double>& y,
                                const std::vector<double>& z, long n,
                                const TriangulationCallbacks& callbacks)
{
    const auto need = static_cast<std::size_t>(n) + 1;
    if (n < 0 || (n > 0 && (x.size() < need || y.size() < need || z.size() < need)))
        throw std::invalid_argument("Point tables must hold slots 0..n for x, y and z");
    if (n >= (1L << 21))
        throw std::invalid_argument("A network takes at most 2097151 points");
    Builder builder(x, y, z, n, callbacks);
    TriangulationResult result;
    result.end = builder.run();
    result.tables = std::move(builder.tables());
    return result;
}

} // namespace tervane::reference
