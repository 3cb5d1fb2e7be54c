// The only file that includes the geometry library: its headers are large
// and slow to compile, so the rest of the program sees plain tables only.
// Only the library's exact predicates are used; the mesh itself is built
// here, straight into the flat tables the numbering walks, which is about
// twice as fast as building the library's linked triangulation and copying
// it out.
#include "engine/network/Delaunay.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <utility>

namespace tervane {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point = Kernel::Point_2;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The library's predicates are exact, but most of their cost here is the
// general filter in front of the exact arithmetic. These answer from the
// floating-point determinant whenever its sign is certain, by the
// forward error bounds of Shewchuk's adaptive predicates, and leave every
// other case to the library. Sums too small for the bounds to hold with
// gradual underflow are left to the library too.
constexpr double halfUlp = 0x1p-53;
constexpr double orientBound = (3.0 + 16.0 * halfUlp) * halfUlp;
constexpr double circleBound = (10.0 + 96.0 * halfUlp) * halfUlp;
constexpr double tinySum = 0x1p-900;

[[gnu::noinline]] int exactOrient(const Point& a, const Point& b, const Point& c)
{
    return static_cast<int>(CGAL::orientation(a, b, c));
}

[[gnu::noinline]] int exactCircle(const Point& a, const Point& b, const Point& c, const Point& d)
{
    return static_cast<int>(CGAL::side_of_oriented_circle(a, b, c, d));
}

constexpr double unsure = std::numeric_limits<double>::infinity();

// `sure`, when given, is a bound on the rounding error that holds for any
// three (or four) points of one set, from its extent: most answers then come
// without the error bound of the points at hand.
inline int orient(const Point& a, const Point& b, const Point& c, double sure = unsure)
{
    const double left = (a.x() - c.x()) * (b.y() - c.y());
    const double right = (a.y() - c.y()) * (b.x() - c.x());
    const double det = left - right;
    if (det > sure || -det > sure)
        return det > 0 ? 1 : -1;
    const double bound = orientBound * (std::fabs(left) + std::fabs(right));
    if ((det > bound || -det > bound) && bound > tinySum)
        return det > 0 ? 1 : -1;
    return exactOrient(a, b, c);
}

// +1 when d lies inside the circle through a, b, c (counter-clockwise).
inline int circle(const Point& a, const Point& b, const Point& c, const Point& d, double sure = unsure)
{
    const double adx = a.x() - d.x(), ady = a.y() - d.y();
    const double bdx = b.x() - d.x(), bdy = b.y() - d.y();
    const double cdx = c.x() - d.x(), cdy = c.y() - d.y();
    const double bc = bdx * cdy, cb = cdx * bdy, ca = cdx * ady, ac = adx * cdy, ab = adx * bdy, ba = bdx * ady;
    const double alift = adx * adx + ady * ady;
    const double blift = bdx * bdx + bdy * bdy;
    const double clift = cdx * cdx + cdy * cdy;
    const double det = alift * (bc - cb) + blift * (ca - ac) + clift * (ab - ba);
    if (det > sure || -det > sure)
        return det > 0 ? 1 : -1;
    const double permanent = (std::fabs(bc) + std::fabs(cb)) * alift + (std::fabs(ca) + std::fabs(ac)) * blift
                             + (std::fabs(ab) + std::fabs(ba)) * clift;
    const double bound = circleBound * permanent;
    if ((det > bound || -det > bound) && bound > tinySum)
        return det > 0 ? 1 : -1;
    return exactCircle(a, b, c, d);
}

// Error bounds for every point of a set whose coordinates differ by at most
// `extent` along either axis: each difference is at most the extent, each
// product of two at most its square, so the sums the dynamic bounds weigh
// are at most 2 extent^2 and 12 extent^4; doubled for the rounding of those
// sums themselves. Unusable extents (nothing, or too small or too large to
// trust) leave only the dynamic bounds.
struct SureBounds {
    double orient = unsure, circle = unsure;

    explicit SureBounds(double extent)
    {
        const double square = extent * extent;
        const double o = 4 * orientBound * square, c = 24 * circleBound * square * square;
        if (o > tinySum && o < unsure)
            orient = o;
        if (c > tinySum && c < unsure)
            circle = c;
    }
};

// Position of (x, y) along a Hilbert curve over a 1024 x 1024 grid, a bit
// of each at a time from a table of the curve's four orientations: no
// branch, as the points come in no order a branch predictor could follow.
// A finer grid would not order a survey's points any better.
constexpr int curveBits = 10;

std::uint32_t hilbertKey(std::uint32_t x, std::uint32_t y)
{
    // For orientation s and quadrant q = 2 xbit + ybit: the quadrant's
    // place along the curve, and the orientation inside it.
    static constexpr unsigned char place[4][4] = {{0, 1, 3, 2}, {0, 3, 1, 2}, {2, 1, 3, 0}, {2, 3, 1, 0}};
    static constexpr unsigned char turn[4][4] = {{1, 0, 2, 0}, {0, 3, 1, 1}, {2, 2, 0, 3}, {3, 1, 3, 2}};
    std::uint32_t d = 0, s = 0;
    for (int bit = curveBits - 1; bit >= 0; --bit) {
        const std::uint32_t q = (((x >> bit) & 1u) << 1) | ((y >> bit) & 1u);
        d = (d << 2) | place[s][q];
        s = turn[s][q];
    }
    return d;
}

// Sorts entries (curve key << 32 | point) by key, keeping the order of
// equal keys: two counting passes of curveBits bits each.
void sortByKey(std::uint64_t* begin, std::uint64_t* end, std::vector<std::uint64_t>& spare)
{
    const auto size = static_cast<std::size_t>(end - begin);
    if (size < 1024) {
        std::stable_sort(begin, end, [](std::uint64_t a, std::uint64_t b) { return a >> 32 < b >> 32; });
        return;
    }
    spare.resize(size);
    std::uint64_t* from = begin;
    std::uint64_t* to = spare.data();
    for (int pass = 0; pass < 2; ++pass) {
        const int shift = 32 + pass * curveBits;
        std::vector<std::size_t> start((1u << curveBits) + 1, 0);
        for (std::size_t k = 0; k < size; ++k)
            ++start[((from[k] >> shift) & ((1u << curveBits) - 1)) + 1];
        for (std::size_t d = 1; d < start.size(); ++d)
            start[d] += start[d - 1];
        for (std::size_t k = 0; k < size; ++k)
            to[start[(from[k] >> shift) & ((1u << curveBits) - 1)]++] = from[k];
        std::swap(from, to);
    }
}

// Points 1..n in the order insertion likes best: a few rounds, each a
// fixed random sample of the points not yet taken, about four times the
// size of the round before, and within each round after the first along a
// Hilbert curve through the bounding box. Each insertion then starts its walk next to
// the point before it, and most points land inside what is already built
// rather than on its hull, where an insertion costs more.
struct Orders {
    std::vector<int> insertion;  // as described above
    std::vector<int> curve;      // all points along the curve
    double extent = 0;           // the larger side of the bounding box
};

Orders insertionOrder(const std::vector<double>& x, const std::vector<double>& y, long n, std::uint64_t seed)
{
    const auto first = x.begin() + 1, last = x.begin() + 1 + n;
    const auto [xlo, xhi] = std::minmax_element(first, last);
    const auto [ylo, yhi] = std::minmax_element(y.begin() + 1, y.begin() + 1 + n);
    constexpr double cells = (1u << curveBits) - 1;
    const double sx = *xhi > *xlo ? cells / (*xhi - *xlo) : 0;
    const double sy = *yhi > *ylo ? cells / (*yhi - *ylo) : 0;
    std::vector<std::uint64_t> keyed(static_cast<std::size_t>(n));
    for (std::size_t i = 1; i <= static_cast<std::size_t>(n); ++i) {
        const auto qx = static_cast<std::uint32_t>((x[i] - *xlo) * sx);
        const auto qy = static_cast<std::uint32_t>((y[i] - *ylo) * sy);
        keyed[i - 1] = (static_cast<std::uint64_t>(hilbertKey(qx, qy)) << 32) | i;
    }
    Orders orders;
    orders.extent = std::max(*xhi - *xlo, *yhi - *ylo);
    std::vector<std::uint64_t> spare;
    sortByKey(keyed.data(), keyed.data() + keyed.size(), spare);
    orders.curve.resize(keyed.size());
    for (std::size_t k = 0; k < keyed.size(); ++k)
        orders.curve[k] = static_cast<int>(keyed[k] & 0xffffffffu);
    // Fisher-Yates with a fixed linear congruential sequence: the same
    // rounds on every run and every library.
    std::uint64_t state = 0x9e3779b97f4a7c15u ^ seed;
    for (std::size_t i = keyed.size(); i > 1; --i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        std::swap(keyed[i - 1], keyed[(state >> 33) % i]);
    }
    // The first round, of at most 64 points, stays in random order.
    for (std::size_t end = keyed.size(); end > 64;) {
        const std::size_t begin = end / 4;
        sortByKey(keyed.data() + begin, keyed.data() + end, spare);
        end = begin;
    }
    orders.insertion.resize(keyed.size());
    for (std::size_t k = 0; k < keyed.size(); ++k)
        orders.insertion[k] = static_cast<int>(keyed[k] & 0xffffffffu);
    return orders;
}

// Bowyer-Watson insertion over faces kept in flat arrays. The hull is closed
// by "ghost" faces through vertex 0, the point at infinity, so that a point
// outside the hull is inserted exactly as one inside: the faces whose circle
// (for a ghost, the open half-plane beyond its hull edge, and the edge
// itself) holds the point are removed and the hole is fanned from it.
class Mesher {
public:
    Mesher(std::size_t points, SureBounds sure) : sure_(sure)
    {
        pt_.reserve(points + 1);
        pt_.emplace_back(0, 0);
        faces_.reserve(2 * points + 8);
        mark_.reserve(2 * points + 8);
        startAt_.reserve(points + 1);
        startAt_.push_back(-1);
    }

    // The first face, from three points that do not lie on one line.
    void start(const Point& a, const Point& b, const Point& c);
    // Inserts p; returns its new vertex, or minus the vertex already at p.
    int insert(const Point& p);

    struct Face {
        int v[3];    // vertices, counter-clockwise
        int adj[3];  // adj[i]: the face across the edge opposite v[i]
    };
    const std::vector<Face>& faces() const { return faces_; }
    const Point& point(int v) const { return pt_[at(v)]; }
    static bool ghost(const Face& f) { return f.v[0] == 0 || f.v[1] == 0 || f.v[2] == 0; }

private:
    int addVertex(const Point& p)
    {
        pt_.push_back(p);
        startAt_.push_back(-1);
        return static_cast<int>(pt_.size()) - 1;
    }
    bool conflicts(int f, const Point& p) const;
    int locate(const Point& p, int& same) const;

    SureBounds sure_;
    std::vector<Point> pt_;  // by vertex; 0 is the point at infinity
    std::vector<Face> faces_;
    std::vector<std::uint32_t> mark_;  // by face: 2 stamp in the hole, 2 stamp + 1 tested outside it
    std::uint32_t stamp_ = 0;
    int hint_ = 0;  // a finite face at the last vertex inserted
    std::vector<int> hole_;
    struct Rim {
        int u, w;       // the hole's boundary edge u-w, counter-clockwise around the hole
        int outer, at;  // the face beyond it, and the edge's index there
    };
    std::vector<Rim> rim_;
    std::vector<int> startAt_;  // by vertex: the new face whose rim edge starts there
};

void Mesher::start(const Point& a, const Point& b, const Point& c)
{
    int va = addVertex(a), vb = addVertex(b), vc = addVertex(c);
    if (orient(a, b, c) < 0)
        std::swap(vb, vc);
    // Face 0 and, across its edges opposite a, b and c, the ghosts 1, 2, 3.
    faces_ = {{{va, vb, vc}, {1, 2, 3}},
              {{vc, vb, 0}, {3, 2, 0}},
              {{va, vc, 0}, {1, 3, 0}},
              {{vb, va, 0}, {2, 1, 0}}};
    mark_.assign(4, 0);
}

bool Mesher::conflicts(int f, const Point& p) const
{
    const Face& F = faces_[at(f)];
    const int k = F.v[0] == 0 ? 0 : F.v[1] == 0 ? 1 : F.v[2] == 0 ? 2 : -1;
    if (k < 0)
        return circle(pt_[at(F.v[0])], pt_[at(F.v[1])], pt_[at(F.v[2])], p, sure_.circle) > 0;
    const Point& a = pt_[at(F.v[(k + 1) % 3])];
    const Point& b = pt_[at(F.v[(k + 2) % 3])];
    const int turn = orient(a, b, p, sure_.orient);
    return turn > 0 || (turn == 0 && CGAL::collinear_are_strictly_ordered_along_line(a, p, b));
}

// Walks from the last insertion towards p, crossing any edge that has p
// strictly on its far side: ends in the finite face that holds p, or in the
// ghost beyond the hull edge that p sees. A walk of this kind cannot cycle
// in a Delaunay triangulation. `same` is set to the vertex at p, if any.
int Mesher::locate(const Point& p, int& same) const
{
    int f = hint_, from = -1;
    same = 0;
    for (;;) {
        const Face& F = faces_[at(f)];
        int next = -1;
        bool onEdge = false;
        for (int i = 0; i < 3 && next < 0; ++i) {
            const int g = F.adj[i];
            if (g == from)
                continue;  // p is strictly on this face's side of the edge just crossed
            const int turn = orient(pt_[at(F.v[(i + 1) % 3])], pt_[at(F.v[(i + 2) % 3])], p, sure_.orient);
            if (turn < 0)
                next = g;
            else if (turn == 0)
                onEdge = true;
        }
        if (next < 0) {
            if (onEdge)
                for (int v : F.v)
                    if (pt_[at(v)] == p)
                        same = v;
            return f;
        }
        from = f;
        f = next;
        if (ghost(faces_[at(f)]))
            return f;
    }
}

int Mesher::insert(const Point& p)
{
    int same = 0;
    const int found = locate(p, same);
    if (same != 0)
        return -same;
    ++stamp_;
    const std::uint32_t inside = 2 * stamp_, outside = inside + 1;
    hole_.assign(1, found);
    mark_[at(found)] = inside;
    rim_.clear();
    for (std::size_t k = 0; k < hole_.size(); ++k) {
        const int f = hole_[k];
        for (int i = 0; i < 3; ++i) {
            const int g = faces_[at(f)].adj[i];
            if (mark_[at(g)] == inside)
                continue;
            if (mark_[at(g)] != outside && conflicts(g, p)) {
                mark_[at(g)] = inside;
                hole_.push_back(g);
                continue;
            }
            mark_[at(g)] = outside;
            const auto& G = faces_[at(g)].adj;
            const int there = G[0] == f ? 0 : G[1] == f ? 1 : 2;
            rim_.push_back({faces_[at(f)].v[(i + 1) % 3], faces_[at(f)].v[(i + 2) % 3], g, there});
        }
    }
    // The hole is star-shaped from p: one new face on each rim edge, in the
    // slots of the removed faces first (a fan has two faces more).
    const int v = addVertex(p);
    for (std::size_t k = 0; k < rim_.size(); ++k) {
        const Rim& r = rim_[k];
        int s;
        if (k < hole_.size()) {
            s = hole_[k];
        } else {
            s = static_cast<int>(faces_.size());
            faces_.push_back({});
            mark_.push_back(0);
        }
        faces_[at(s)] = {{r.u, r.w, v}, {-1, -1, r.outer}};
        faces_[at(r.outer)].adj[r.at] = s;
        startAt_[at(r.u)] = s;
        if (r.u != 0 && r.w != 0)
            hint_ = s;
    }
    for (std::size_t k = 0; k < rim_.size(); ++k) {
        const int s = k < hole_.size() ? hole_[k] : static_cast<int>(faces_.size() - (rim_.size() - k));
        const int t = startAt_[at(faces_[at(s)].v[1])];
        faces_[at(s)].adj[0] = t;
        faces_[at(t)].adj[1] = s;
    }
    return v;
}

// Each exact copy pointed at the lowest-numbered point at its place, for
// point sets that make no face.
void representativesBySorting(const std::vector<double>& x, const std::vector<double>& y, long n,
                              std::vector<int>& representative)
{
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        if (x[at(a)] != x[at(b)])
            return x[at(a)] < x[at(b)];
        if (y[at(a)] != y[at(b)])
            return y[at(a)] < y[at(b)];
        return a < b;
    });
    int first = 0;
    for (int p : order) {
        if (first == 0 || x[at(p)] != x[at(first)] || y[at(p)] != y[at(first)])
            first = p;
        representative[at(p)] = first;
    }
}

} // namespace

DelaunayMesh delaunayMesh(const std::vector<double>& x, const std::vector<double>& y, long n,
                          std::uint64_t orderSeed)
{
    DelaunayMesh mesh;
    mesh.representative.assign(static_cast<std::size_t>(std::max(n, 0L)) + 1, 0);
    if (n < 1)
        return mesh;
    const Orders orders = insertionOrder(x, y, n, orderSeed);
    const std::vector<int>& order = orders.insertion;
    auto place = [&](int p) { return Point(x[at(p)], y[at(p)]); };

    // The first face takes the first point, the next one elsewhere and the
    // next one off their line; the points passed over go in after it.
    std::size_t second = 1;
    while (second < order.size() && place(order[second]) == place(order[0]))
        ++second;
    std::size_t third = second + 1;
    while (third < order.size()
           && orient(place(order[0]), place(order[second]), place(order[third])) == 0)
        ++third;
    if (third >= order.size()) {
        representativesBySorting(x, y, n, mesh.representative);
        return mesh;
    }

    const SureBounds sure(orders.extent);
    Mesher mesher(order.size(), sure);
    std::vector<int> pointOfVertex;  // by vertex of the mesher
    std::vector<int> vertexOfPoint(static_cast<std::size_t>(n) + 1, 0);
    pointOfVertex.reserve(order.size() + 1);
    pointOfVertex.push_back(0);  // the point at infinity, dropped below
    mesher.start(place(order[0]), place(order[second]), place(order[third]));
    for (std::size_t k : {std::size_t{0}, second, third}) {
        pointOfVertex.push_back(order[k]);
        vertexOfPoint[at(order[k])] = static_cast<int>(pointOfVertex.size()) - 1;
    }
    auto insert = [&](int p) {
        const int v = mesher.insert(place(p));
        if (v > 0) {
            pointOfVertex.push_back(p);
            vertexOfPoint[at(p)] = v;
        } else {
            vertexOfPoint[at(p)] = -v;
            pointOfVertex[at(-v)] = std::min(pointOfVertex[at(-v)], p);
        }
    };
    for (std::size_t k = 1; k < order.size(); ++k)
        if (k != second && k != third)
            insert(order[k]);
    for (std::size_t p = 1; p <= static_cast<std::size_t>(n); ++p)
        mesh.representative[p] = pointOfVertex[at(vertexOfPoint[p])];

    // The walk reads each face's neighbours and their corners: vertices are
    // numbered along the curve and faces by their lowest corner, so that
    // what lies close together on the ground lies close together in memory
    // (the rounds of the insertion order scatter it). The point at infinity
    // and its faces are dropped.
    const int vertices = static_cast<int>(pointOfVertex.size()) - 1;
    std::vector<int> numberOfVertex(pointOfVertex.size(), -1);
    mesh.pointOfVertex.assign(at(vertices), 0);
    int next = 0;
    for (int p : orders.curve) {
        const int v = vertexOfPoint[at(p)];
        if (numberOfVertex[at(v)] < 0) {
            numberOfVertex[at(v)] = next;
            mesh.pointOfVertex[at(next++)] = pointOfVertex[at(v)];
        }
    }
    const auto& faces = mesher.faces();
    std::vector<int> start(at(vertices) + 1, 0);
    auto lowest = [&](const Mesher::Face& f) {
        return std::min({numberOfVertex[at(f.v[0])], numberOfVertex[at(f.v[1])], numberOfVertex[at(f.v[2])]});
    };
    for (const auto& f : faces)
        if (!Mesher::ghost(f))
            ++start[at(lowest(f)) + 1];
    for (std::size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];
    std::vector<int> numberOf(faces.size(), -1);
    for (std::size_t f = 0; f < faces.size(); ++f)
        if (!Mesher::ghost(faces[f]))
            numberOf[f] = start[at(lowest(faces[f]))]++;
    mesh.faces.resize(at(start[at(vertices) - 1]));
    for (std::size_t f = 0; f < faces.size(); ++f) {
        if (numberOf[f] < 0)
            continue;
        DelaunayFace& face = mesh.faces[at(numberOf[f])];
        face.cocircular = 0;
        for (int i = 0; i < 3; ++i) {
            face.corner[at(i)] = numberOfVertex[at(faces[f].v[i])];
            face.across[at(i)] = numberOf[at(faces[f].adj[i])];
        }
    }
    // Each inner edge once, from its lower-numbered face, in the new order:
    // neighbours and corners are then close by in memory.
    std::vector<Point> spot(at(vertices), Point(0, 0));
    for (int v = 1; v <= vertices; ++v)
        spot[at(numberOfVertex[at(v)])] = mesher.point(v);
    const int count = mesh.faceCount();
    for (int f = 0; f < count; ++f) {
        DelaunayFace& F = mesh.faces[at(f)];
        for (std::size_t i = 0; i < 3; ++i) {
            const int g = F.across[i];
            if (g < f)
                continue;
            DelaunayFace& G = mesh.faces[at(g)];
            const std::size_t j = G.across[0] == f ? 0 : G.across[1] == f ? 1 : 2;
            if (circle(spot[at(F.corner[0])], spot[at(F.corner[1])], spot[at(F.corner[2])], spot[at(G.corner[j])],
                       sure.circle)
                == 0) {
                F.cocircular |= static_cast<unsigned char>(1 << i);
                G.cocircular |= static_cast<unsigned char>(1 << j);
            }
        }
    }
    return mesh;
}

int orientation(double ax, double ay, double bx, double by, double cx, double cy)
{
    return orient(Point(ax, ay), Point(bx, by), Point(cx, cy));
}

int inCircle(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy)
{
    return circle(Point(ax, ay), Point(bx, by), Point(cx, cy), Point(dx, dy));
}

} // namespace tervane
