#include "engine/network/NetworkCheck.h"

#include "engine/network/Delaunay.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace tervane {

namespace {

using Place = std::pair<double, double>;

int turn(const Place& o, const Place& a, const Place& b)
{
    return orientation(o.first, o.second, a.first, a.second, b.first, b.second);
}

// Points on the boundary of the convex hull of distinct, sorted places,
// collinear ones included (monotone chain that pops right turns only).
long hullPoints(const std::vector<Place>& v)
{
    std::vector<std::size_t> lower, upper;
    for (std::size_t i = 0; i < v.size(); ++i) {
        while (lower.size() >= 2 && turn(v[lower[lower.size() - 2]], v[lower.back()], v[i]) < 0)
            lower.pop_back();
        lower.push_back(i);
    }
    for (std::size_t i = v.size(); i-- > 0;) {
        while (upper.size() >= 2 && turn(v[upper[upper.size() - 2]], v[upper.back()], v[i]) < 0)
            upper.pop_back();
        upper.push_back(i);
    }
    std::vector<std::size_t> all(lower);
    all.insert(all.end(), upper.begin(), upper.end());
    std::sort(all.begin(), all.end());
    return std::unique(all.begin(), all.end()) - all.begin();
}

long expectedCount(const std::vector<double>& x, const std::vector<double>& y, long n)
{
    std::vector<Place> v;
    for (std::size_t i = 1; i <= static_cast<std::size_t>(n); ++i)
        v.emplace_back(x[i], y[i]);
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    const bool flat = std::all_of(v.begin(), v.end(), [&](const Place& p) {
        return v.size() < 3 || turn(v[0], v[1], p) == 0;
    });
    if (flat)
        return 0;
    return 2 * static_cast<long>(v.size()) - 2 - hullPoints(v);
}

struct EdgeUse {
    int row;
    int edge;
    int apex;
};

} // namespace

NetworkFaults checkNetwork(const std::vector<double>& x, const std::vector<double>& y, long n,
                           const Triangulation& t)
{
    NetworkFaults faults;
    faults.triangles = t.count;
    faults.unfinishedRows = t.count - t.cursor;
    faults.expectedTriangles = expectedCount(x, y, n);
    auto px = [&](int p) { return x[static_cast<std::size_t>(p)]; };
    auto py = [&](int p) { return y[static_cast<std::size_t>(p)]; };

    std::unordered_map<long long, std::vector<EdgeUse>> edges;
    for (int r = 1; r <= t.count; ++r) {
        const auto k = static_cast<std::size_t>(r);
        const int v[3] = {t.vertexA[k], t.vertexB[k], t.vertexC[k]};
        if (orientation(px(v[0]), py(v[0]), px(v[1]), py(v[1]), px(v[2]), py(v[2])) == 0)
            ++faults.flatTriangles;
        for (int e = 1; e <= 3; ++e) {
            const int p = v[e - 1], q = v[e % 3];
            const long long key = (static_cast<long long>(std::min(p, q)) << 32) | std::max(p, q);
            edges[key].push_back({r, e, v[(e + 1) % 3]});
        }
    }
    for (const auto& [key, uses] : edges) {
        const int p = static_cast<int>(key >> 32), q = static_cast<int>(key & 0xffffffff);
        if (uses.size() > 2)
            ++faults.crowdedEdges;
        for (const EdgeUse& u : uses) {
            const EdgeUse* other = uses.size() == 2 ? &uses[&u == &uses[0] ? 1 : 0] : nullptr;
            const int expected = other ? other->row : 0;
            if (t.neighbour[static_cast<std::size_t>(u.row)][static_cast<std::size_t>(u.edge)] != expected)
                ++faults.brokenNeighbours;
        }
        if (uses.size() != 2)
            continue;
        const int a = uses[0].apex, b = uses[1].apex;
        const int sa = orientation(px(p), py(p), px(q), py(q), px(a), py(a));
        const int sb = orientation(px(p), py(p), px(q), py(q), px(b), py(b));
        if (sa == 0 || sb == 0)
            continue;  // already counted as flat
        if (sa == sb) {
            ++faults.foldedEdges;
            continue;
        }
        const bool ccw = sa > 0;  // p, q, a counter-clockwise
        const int inside = ccw ? inCircle(px(p), py(p), px(q), py(q), px(a), py(a), px(b), py(b))
                               : inCircle(px(q), py(q), px(p), py(p), px(a), py(a), px(b), py(b));
        if (inside > 0)
            ++faults.occupiedCircles;
    }
    return faults;
}

} // namespace tervane
