#include "engine/network/Triangulator.h"

#include "engine/network/Delaunay.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace tervane {

namespace {

// The incentre from the side lengths opposite each vertex.
std::array<double, 2> weightedBySides(double x1, double y1, double x2, double y2, double x3, double y3,
                                      double s1, double s2, double s3)
{
    const double sum = s1 + s2 + s3;
    return {(s1 * x1 + s2 * x2 + s3 * x3) / sum, (s1 * y1 + s2 * y2 + s3 * y3) / sum};
}

} // namespace

std::array<double, 2> incentre(double x1, double y1, double x2, double y2, double x3, double y3)
{
    return weightedBySides(x1, y1, x2, y2, x3, y3, std::hypot(x3 - x2, y3 - y2), std::hypot(x3 - x1, y3 - y1),
                           std::hypot(x2 - x1, y2 - y1));
}

long triangleCap(long n) { return 4 * n + 16; }

namespace {

// 1 - cos of the angle APB from the squared side lengths; larger means the
// point sees the edge AB under a larger angle.
double angleMeasure(double pa2, double pb2, double ab2)
{
    return 1 - (pa2 + pb2 - ab2) / (2 * std::sqrt(pa2) * std::sqrt(pb2));
}

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// Walks a Delaunay mesh in the order the network has always been grown in,
// giving each face its row number the first time an edge reaches it.
class Builder {
public:
    Builder(DelaunayMesh mesh, const std::vector<double>& x, const std::vector<double>& y,
            const std::vector<double>& z, long n, const TriangulationCallbacks& callbacks)
        : x_(x), y_(y), z_(z), n_(n), cb_(callbacks), cap_(triangleCap(n)), mesh_(std::move(mesh))
    {
    }

    TriangulationEnd run();
    Triangulation& tables() { return tables_; }

private:
    enum class Step { Done, Stop, Cap };

    // Squared distance between two vertices of the mesh.
    double dist2(int i, int j) const
    {
        const double dx = xyz_[at(i)][0] - xyz_[at(j)][0];
        const double dy = xyz_[at(i)][1] - xyz_[at(j)][1];
        return dx * dx + dy * dy;
    }
    int pointOf(int vertex) const { return mesh_.pointOfVertex[at(vertex)]; }
    int vertexOf(int point) const;
    int cornerIndex(int face, int point) const;
    int apexOf(int face, int a, int b) const;
    Step makeSeed();
    void prefetchAhead(int row) const;
    Step growEdge(int t, int e, int a, int b);
    int settleCocircular(int face, int a, int b);
    void retriangulate(const std::vector<int>& region, int a, int b, int chosen);
    Step createTriangle(int a, int b, int p, int face, double ab);

    const std::vector<double>& x_;
    const std::vector<double>& y_;
    const std::vector<double>& z_;
    std::vector<std::array<double, 3>> xyz_;  // by vertex: one cache line, not three
    // What the walk needs of each row, in one place: its vertices; the mesh
    // faces beyond its edges 1, 2 and 3 (-1 on the hull), copied while its
    // face is in cache, so that the walk reads them in row order instead of
    // fetching each row's face again; and the lengths of those edges, as a
    // new row grows from an edge of an earlier one, so one of its sides is
    // known already (the same two points, the same length to the last bit).
    //
    // Only rows whose edges are still to be grown are kept, in a ring
    // indexed by row number: the front of a breadth-first growth is a few
    // thousand rows at most, small enough to stay in cache.
    struct Row {
        std::array<int, 3> corner;
        std::array<int, 3> across;
        std::array<double, 3> side;
    };
    std::vector<Row> ring_ = std::vector<Row>(1024);
    Row& rowAt(int r) { return ring_[at(r) & (ring_.size() - 1)]; }
    void addRow(const Row& r);
    long n_;
    const TriangulationCallbacks& cb_;
    long cap_;
    DelaunayMesh mesh_;
    std::vector<int> rowOfFace_;  // 0 while a face has no row yet
    std::vector<int> region_;     // working list of settleCocircular
    Triangulation tables_;
};

int Builder::cornerIndex(int face, int point) const
{
    const auto& c = mesh_.faces[at(face)].corner;
    return c[0] == point ? 0 : c[1] == point ? 1 : c[2] == point ? 2 : -1;
}

int Builder::vertexOf(int point) const
{
    const auto& v = mesh_.pointOfVertex;
    return static_cast<int>(std::find(v.begin(), v.end(), point) - v.begin());
}

int Builder::apexOf(int face, int a, int b) const
{
    for (int v : mesh_.faces[at(face)].corner)
        if (v != a && v != b)
            return v;
    return 0;
}

// Seed: point 1, its nearest point (lowest index on a tie) and, of the
// points beyond that edge on either side, the one that sees it under the
// larger angle (the later index on a tie). The nearest pair is an edge of
// every Delaunay triangulation, so its one or two faces hold the choice.
// Points on one circle with a face's apex see the edge under the same
// angle: each side is settled first, so that its candidate is the
// highest-numbered of them whichever diagonals the triangulation drew.
Builder::Step Builder::makeSeed()
{
    auto pointDist2 = [&](long i, long j) {
        const double dx = x_[static_cast<std::size_t>(i)] - x_[static_cast<std::size_t>(j)];
        const double dy = y_[static_cast<std::size_t>(i)] - y_[static_cast<std::size_t>(j)];
        return dx * dx + dy * dy;
    };
    long nearest = 0;
    double best = 0;
    for (long i = 2; i <= n_; ++i) {
        const double d = pointDist2(1, i);
        if (d > 0 && (nearest == 0 || d < best)) {
            best = d;
            nearest = i;
        }
    }
    if (cb_.seedScanned)
        for (long i = 1; i <= n_; ++i)
            cb_.seedScanned(i, n_);
    const int a = vertexOf(1), b = vertexOf(static_cast<int>(nearest));
    std::vector<std::pair<int, int>> choices;  // (apex's point, face)
    for (int f = 0; f < mesh_.faceCount(); ++f)
        if (cornerIndex(f, a) >= 0 && cornerIndex(f, b) >= 0)
            choices.emplace_back(0, f);
    if (choices.empty())
        return Step::Stop;
    for (auto& [apex, f] : choices) {
        f = settleCocircular(f, a, b);
        apex = pointOf(apexOf(f, a, b));
    }
    std::sort(choices.begin(), choices.end());
    const double ab2 = dist2(a, b);
    double bestMeasure = -std::numeric_limits<double>::infinity();
    int seedFace = choices.front().second;
    for (const auto& [apex, f] : choices) {
        const int c = apexOf(f, a, b);
        const double m = angleMeasure(dist2(c, a), dist2(c, b), ab2);
        if (m >= bestMeasure) {
            bestMeasure = m;
            seedFace = f;
        }
    }
    const auto &pa = xyz_[at(a)], &pb = xyz_[at(b)];
    return createTriangle(a, b, apexOf(seedFace, a, b), seedFace, std::hypot(pb[0] - pa[0], pb[1] - pa[1]));
}

TriangulationEnd Builder::run()
{
    if (n_ < 3 || mesh_.faceCount() == 0)
        return TriangulationEnd::NoTriangle;
    rowOfFace_.assign(at(mesh_.faceCount()), 0);
    xyz_.resize(mesh_.pointOfVertex.size());
    for (std::size_t k = 0; k < xyz_.size(); ++k) {
        const auto p = at(mesh_.pointOfVertex[k]);
        xyz_[k] = {x_[p], y_[p], z_[p]};
    }
    const auto reserve = at(mesh_.faceCount() + 1);
    Triangulation& t = tables_;
    for (auto* v : {&t.vertexA, &t.vertexB, &t.vertexC})
        v->reserve(reserve);
    for (auto* v : {&t.centreX, &t.centreY, &t.centreZ})
        v->reserve(reserve);
    t.neighbour.reserve(reserve);

    const Step seeded = makeSeed();
    if (tables_.count == 0)
        return TriangulationEnd::NoTriangle;
    if (seeded == Step::Stop)
        return TriangulationEnd::Stopped;
    tables_.cursor = 1;
    for (;;) {
        const int row = tables_.cursor;
        prefetchAhead(row);
        const auto& corner = rowAt(row).corner;
        int v[3] = {corner[0], corner[1], corner[2]};
        for (int e = 1; e <= 3; ++e) {
            const Step s = growEdge(row, e, v[0], v[1]);
            if (s == Step::Stop)
                return TriangulationEnd::Stopped;
            if (s == Step::Cap) {
                tables_.cursor = tables_.count;
                return TriangulationEnd::CapReached;
            }
            std::rotate(v, v + 1, v + 3);
        }
        if (tables_.cursor < tables_.count)
            ++tables_.cursor;
        else
            break;
    }
    return TriangulationEnd::Complete;
}

// Points are numbered in no spatial order, so the corners of the faces the
// next rows will reach are fetched from memory a little before they are
// read: faces two rows ahead, their corners' coordinates one row ahead.
void Builder::prefetchAhead(int row) const
{
    if (row + 2 <= tables_.count)
        for (int g : ring_[at(row + 2) & (ring_.size() - 1)].across)
            if (g >= 0)
                __builtin_prefetch(&mesh_.faces[at(g)]);
    if (row + 1 <= tables_.count)
        for (int g : ring_[at(row + 1) & (ring_.size() - 1)].across)
            if (g >= 0)
                for (int p : mesh_.faces[at(g)].corner)
                    __builtin_prefetch(&xyz_[at(p)]);
}

// Edge e (a-b) of row t: the face beyond it is the neighbour, made a new
// row when it has none yet.
Builder::Step Builder::growEdge(int t, int e, int a, int b)
{
    const int beyond = rowAt(t).across[at(e - 1)];
    int k = 0;
    Step s = Step::Done;
    if (beyond >= 0) {
        k = rowOfFace_[at(beyond)];
        if (k == 0) {
            const int chosen = settleCocircular(beyond, a, b);
            const double ab = rowAt(t).side[at(e - 1)];
            s = createTriangle(a, b, apexOf(chosen, a, b), chosen, ab);
            k = tables_.count;
        }
    }
    tables_.neighbour[at(t)][at(e)] = k;
    return s;
}

// The face beyond edge a-b has no row yet. When other points lie exactly on
// its circumcircle, the free faces on that circle form one convex polygon
// that any fan of diagonals triangulates equally well; the growth's tie
// rule gives the edge the highest-numbered of those points, so the polygon
// is re-cut to make that triangle. Returns the face beyond a-b.
int Builder::settleCocircular(int face, int a, int b)
{
    if (mesh_.faces[at(face)].cocircular == 0)
        return face;
    std::vector<int>& region = region_;
    region.assign(1, face);
    int chosen = apexOf(face, a, b);
    for (std::size_t i = 0; i < region.size(); ++i) {
        const int f = region[i];
        for (int j = 0; j < 3; ++j) {
            const int g = mesh_.faces[at(f)].across[at(j)];
            if ((mesh_.faces[at(f)].cocircular & (1 << j)) == 0 || rowOfFace_[at(g)] != 0
                || std::find(region.begin(), region.end(), g) != region.end())
                continue;
            const auto& c = mesh_.faces[at(f)].corner;
            const int u = c[at((j + 1) % 3)], v = c[at((j + 2) % 3)];
            if ((u == a && v == b) || (u == b && v == a))
                continue;  // the polygon lies beyond a-b only
            region.push_back(g);
            const int far = apexOf(g, u, v);
            if (far != a && far != b && pointOf(far) > pointOf(chosen))
                chosen = far;
        }
    }
    if (chosen == apexOf(face, a, b))
        return face;
    retriangulate(region, a, b, chosen);
    for (int f : region)
        if (cornerIndex(f, a) >= 0 && cornerIndex(f, b) >= 0)
            return f;
    throw std::logic_error("Re-cut cocircular polygon lost its edge; probably a bug");
}

// Re-cuts the convex polygon covered by the faces of `region` into triangle
// (a, b, chosen) and two fans, reusing the same face numbers, and mends the
// references of the faces around it.
void Builder::retriangulate(const std::vector<int>& region, int a, int b, int chosen)
{
    // Boundary, counter-clockwise: next[u] = v for each edge u-v, with the
    // face outside it.
    std::unordered_map<int, std::pair<int, int>> next;
    for (int f : region)
        for (int j = 0; j < 3; ++j) {
            const int g = mesh_.faces[at(f)].across[at(j)];
            if (std::find(region.begin(), region.end(), g) != region.end())
                continue;
            const auto& c = mesh_.faces[at(f)].corner;
            next[c[at((j + 1) % 3)]] = {c[at((j + 2) % 3)], g};
        }
    const int s = next.count(a) && next[a].first == b ? a : b;
    std::vector<int> ring{s};
    for (int v = next[s].first; v != s; v = next[v].first)
        ring.push_back(v);
    const auto split = std::find(ring.begin(), ring.end(), chosen) - ring.begin();

    std::vector<std::array<int, 3>> faces{{ring[0], ring[1], chosen}};
    auto fan = [&](std::size_t from, std::size_t to) {  // ring[from..to], to may be ring.size()
        for (std::size_t i = from + 1; i + 1 <= to; ++i)
            faces.push_back({ring[from], ring[i], ring[(i + 1) % ring.size()]});
    };
    fan(1, static_cast<std::size_t>(split));
    fan(static_cast<std::size_t>(split), ring.size());
    if (faces.size() != region.size())
        throw std::logic_error("Cocircular polygon re-cut into the wrong number of faces; probably a bug");

    std::unordered_map<long long, std::pair<int, int>> edges;  // directed edge -> (face, corner)
    auto edgeKey = [](int u, int v) { return (static_cast<long long>(u) << 32) | static_cast<unsigned>(v); };
    for (std::size_t k = 0; k < faces.size(); ++k) {
        mesh_.faces[at(region[k])].corner = faces[k];
        mesh_.faces[at(region[k])].cocircular = 0;
        for (int j = 0; j < 3; ++j)
            edges[edgeKey(faces[k][at((j + 1) % 3)], faces[k][at((j + 2) % 3)])] = {region[k], j};
    }
    for (const auto& [key, where] : edges) {
        const int u = static_cast<int>(key >> 32), v = static_cast<int>(key & 0xffffffff);
        const auto twin = edges.find(edgeKey(v, u));
        int outside = -1;
        if (twin != edges.end()) {
            // Both sides lie on the polygon's circle; the boundary needs no
            // mark, as any free face beyond it is off that circle.
            outside = twin->second.first;
            mesh_.faces[at(where.first)].cocircular |= static_cast<unsigned char>(1 << where.second);
        } else {
            outside = next[u].second;
            if (outside >= 0) {
                const int apex = apexOf(outside, u, v);
                mesh_.faces[at(outside)].across[at(cornerIndex(outside, apex))] = where.first;
                if (const int k = rowOfFace_[at(outside)]; k >= tables_.cursor && k != 0) {
                    // A row still to grow. Edge e of a row lies opposite its
                    // corner e + 1 (mod 3).
                    Row& r = rowAt(k);
                    const auto i = static_cast<std::size_t>(std::find(r.corner.begin(), r.corner.end(), apex)
                                                            - r.corner.begin());
                    r.across[(i + 1) % 3] = where.first;
                }
            }
        }
        mesh_.faces[at(where.first)].across[at(where.second)] = outside;
    }
}

// Rows from the cursor to the count are kept; the ring doubles when the
// new row would overwrite the cursor's.
void Builder::addRow(const Row& r)
{
    const int created = tables_.count;
    if (at(created - tables_.cursor) + 1 > ring_.size()) {
        std::vector<Row> larger(2 * ring_.size());
        for (int k = tables_.cursor; k < created; ++k)
            larger[at(k) & (larger.size() - 1)] = rowAt(k);
        ring_.swap(larger);
    }
    rowAt(created) = r;
}

// Adds triangle (a, b, p), the mesh's face `face`, with its incentre and
// the inverse-distance value there, then lets the caller draw it and poll
// Esc. `ab` is the length of side a-b.
Builder::Step Builder::createTriangle(int a, int b, int p, int face, double ab)
{
    if (tables_.count >= cap_)
        return Step::Cap;
    const auto &pa = xyz_[at(a)], &pb = xyz_[at(b)], &pp = xyz_[at(p)];
    const double bp = std::hypot(pp[0] - pb[0], pp[1] - pb[1]);
    const double ap = std::hypot(pp[0] - pa[0], pp[1] - pa[1]);
    const auto o = weightedBySides(pa[0], pa[1], pb[0], pb[1], pp[0], pp[1], bp, ap, ab);
    double sumW = 0, sumWZ = 0;
    for (const auto* v : {&pa, &pb, &pp}) {
        const double w = 1 / (std::hypot((*v)[0] - o[0], (*v)[1] - o[1]) + 1e-7);
        sumW += w;
        sumWZ += w * (*v)[2];
    }
    Triangulation& t = tables_;
    const int created = ++t.count;
    t.vertexA.push_back(pointOf(a));
    t.vertexB.push_back(pointOf(b));
    t.vertexC.push_back(pointOf(p));
    const auto& across = mesh_.faces[at(face)].across;
    addRow({{a, b, p},
            {across[at(cornerIndex(face, p))], across[at(cornerIndex(face, a))], across[at(cornerIndex(face, b))]},
            {ab, bp, ap}});
    t.neighbour.push_back({0, 0, 0, 0});
    t.centreX.push_back(o[0]);
    t.centreY.push_back(o[1]);
    t.centreZ.push_back(sumWZ / sumW);
    rowOfFace_[at(face)] = created;
    if (cb_.triangleCreated && !cb_.triangleCreated(t, created))
        return Step::Stop;
    return Step::Done;
}

} // namespace

namespace {

void checkTables(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& z, long n)
{
    const auto need = static_cast<std::size_t>(n) + 1;
    if (n < 0 || (n > 0 && (x.size() < need || y.size() < need || z.size() < need)))
        throw std::invalid_argument("Point tables must hold slots 0..n for x, y and z");
    if (n >= (1L << 30))
        throw std::invalid_argument("A network takes fewer than 2^30 points");
}

} // namespace

TriangulationResult numberMesh(DelaunayMesh mesh, const std::vector<double>& x, const std::vector<double>& y,
                               const std::vector<double>& z, long n, const TriangulationCallbacks& callbacks)
{
    checkTables(x, y, z, n);
    Builder builder(std::move(mesh), x, y, z, n, callbacks);
    TriangulationResult result;
    result.end = builder.run();
    result.tables = std::move(builder.tables());
    return result;
}

TriangulationResult triangulate(const std::vector<double>& x, const std::vector<double>& y,
                                const std::vector<double>& z, long n,
                                const TriangulationCallbacks& callbacks)
{
    checkTables(x, y, z, n);
    return numberMesh(n < 3 ? DelaunayMesh{} : delaunayMesh(x, y, n), x, y, z, n, callbacks);
}

} // namespace tervane
