#include "engine/network/Triangulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

namespace tervane {
namespace {

// Points indexed from 1, as the point arrays hold them.
struct Points {
    std::vector<double> x{0.0}, y{0.0}, z{0.0};
    long n() const { return static_cast<long>(x.size()) - 1; }
    void add(double px, double py, double pz = 0)
    {
        x.push_back(px);
        y.push_back(py);
        z.push_back(pz);
    }
};

TriangulationResult run(const Points& p, const TriangulationCallbacks& cb = {})
{
    return triangulate(p.x, p.y, p.z, p.n(), cb);
}

std::array<int, 3> corners(const Triangulation& t, int i)
{
    const auto k = static_cast<std::size_t>(i);
    return {t.vertexA[k], t.vertexB[k], t.vertexC[k]};
}

std::array<int, 4> neighbours(const Triangulation& t, int i)
{
    return t.neighbour[static_cast<std::size_t>(i)];
}

// Number of points on the convex hull (monotone chain, strict turns).
long hullSize(const Points& p)
{
    std::vector<std::pair<double, double>> v;
    for (long i = 1; i <= p.n(); ++i)
        v.emplace_back(p.x[static_cast<std::size_t>(i)], p.y[static_cast<std::size_t>(i)]);
    std::sort(v.begin(), v.end());
    auto cross = [](auto o, auto a, auto b) {
        return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
    };
    std::vector<std::pair<double, double>> h(2 * v.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], v[i]) <= 0)
            --k;
        h[k++] = v[i];
    }
    for (std::size_t i = v.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(h[k - 2], h[k - 1], v[i - 1]) <= 0)
            --k;
        h[k++] = v[i - 1];
    }
    return static_cast<long>(k) - 1;
}

// Every neighbour is 0 or a triangle that shares the edge and names this
// triangle back across it; no two rows are the same triangle.
void expectConsistent(const Triangulation& t)
{
    ASSERT_EQ(t.cursor, t.count);
    std::set<std::array<int, 3>> seen;
    for (int i = 1; i <= t.count; ++i) {
        auto c = corners(t, i);
        std::sort(c.begin(), c.end());
        EXPECT_TRUE(seen.insert(c).second) << "triangle " << i << " repeats an earlier row";
        const auto v = corners(t, i);
        for (int e = 1; e <= 3; ++e) {
            const int k = neighbours(t, i)[static_cast<std::size_t>(e)];
            if (k == 0)
                continue;
            ASSERT_GE(k, 1);
            ASSERT_LE(k, t.count);
            const std::set<int> edge{v[static_cast<std::size_t>(e - 1)], v[static_cast<std::size_t>(e % 3)]};
            bool back = false;
            const auto w = corners(t, k);
            for (int f = 1; f <= 3; ++f)
                back = back || (neighbours(t, k)[static_cast<std::size_t>(f)] == i
                                && std::set<int>{w[static_cast<std::size_t>(f - 1)],
                                                 w[static_cast<std::size_t>(f % 3)]} == edge);
            EXPECT_TRUE(back) << "triangle " << i << " edge " << e << " names " << k
                              << ", which does not name it back";
        }
    }
}

// No point lies strictly inside any triangle's circumcircle.
void expectEmptyCircles(const Points& p, const Triangulation& t)
{
    for (int i = 1; i <= t.count; ++i) {
        const auto v = corners(t, i);
        const double ax = p.x[v[0]], ay = p.y[v[0]], bx = p.x[v[1]], by = p.y[v[1]];
        const double cx = p.x[v[2]], cy = p.y[v[2]];
        const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
        ASSERT_NE(d, 0) << "triangle " << i << " has no area";
        const double ux = ((ax * ax + ay * ay) * (by - cy) + (bx * bx + by * by) * (cy - ay)
                           + (cx * cx + cy * cy) * (ay - by)) / d;
        const double uy = ((ax * ax + ay * ay) * (cx - bx) + (bx * bx + by * by) * (ax - cx)
                           + (cx * cx + cy * cy) * (bx - ax)) / d;
        const double r2 = (ax - ux) * (ax - ux) + (ay - uy) * (ay - uy);
        for (long q = 1; q <= p.n(); ++q) {
            const double dx = p.x[static_cast<std::size_t>(q)] - ux;
            const double dy = p.y[static_cast<std::size_t>(q)] - uy;
            EXPECT_GE(dx * dx + dy * dy, r2 * (1 - 1e-9)) << "point " << q << " inside triangle " << i;
        }
    }
}

Points randomPoints(unsigned seed, int n, double span = 1)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(0, span);
    Points p;
    for (int i = 0; i < n; ++i)
        p.add(u(gen), u(gen), u(gen));
    return p;
}

// Hand-worked: seed (1, 3, 2) since point 3 is nearest to point 1 and point
// 2 sees edge 1-3 under the larger angle; edge 2 of the seed (3-2) grows
// triangle (3, 2, 4); every other edge is on the hull.
TEST(TriangulatorTest, SmallCaseGivesTheWorkedOrderAndColumns)
{
    Points p;
    p.add(0, 0, 10);
    p.add(4, 0, 20);
    p.add(0, 3, 30);
    p.add(5, 4, 40);
    const auto r = run(p);
    ASSERT_EQ(r.end, TriangulationEnd::Complete);
    const Triangulation& t = r.tables;
    ASSERT_EQ(t.count, 2);
    EXPECT_EQ(t.cursor, 2);
    EXPECT_EQ(corners(t, 1), (std::array<int, 3>{1, 3, 2}));
    EXPECT_EQ(corners(t, 2), (std::array<int, 3>{3, 2, 4}));
    EXPECT_EQ(neighbours(t, 1), (std::array<int, 4>{0, 0, 2, 0}));
    EXPECT_EQ(neighbours(t, 2), (std::array<int, 4>{0, 1, 0, 0}));
    // The 3-4-5 triangle has its incentre at (1, 1).
    EXPECT_NEAR(t.centreX[1], 1.0, 1e-12);
    EXPECT_NEAR(t.centreY[1], 1.0, 1e-12);
    const double w1 = 1 / (std::sqrt(2.0) + 1e-7), w3 = 1 / (std::sqrt(5.0) + 1e-7);
    const double w2 = 1 / (std::sqrt(10.0) + 1e-7);
    EXPECT_NEAR(t.centreZ[1], (10 * w1 + 30 * w3 + 20 * w2) / (w1 + w2 + w3), 1e-9);
}

TEST(TriangulatorTest, SquareWithJitterGivesTwoTriangles)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 gen(seed);
        std::uniform_real_distribution<double> r(0, 0.0001);
        Points p;
        for (auto [x, y] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {1.0, 1.0}, {0.0, 1.0}})
            p.add(x + r(gen), y + r(gen));
        const auto res = run(p);
        ASSERT_EQ(res.end, TriangulationEnd::Complete);
        ASSERT_EQ(res.tables.count, 2) << "seed " << seed;
        expectConsistent(res.tables);
        int shared = 0;
        for (int e = 1; e <= 3; ++e)
            shared += neighbours(res.tables, 1)[static_cast<std::size_t>(e)] == 2;
        EXPECT_EQ(shared, 1);
    }
}

TEST(TriangulatorTest, SeedTiesTakeNearestLowestIndexAndLastThirdVertex)
{
    // Points 2 and 3 are both at distance 1 from point 1: point 2 is B.
    Points near;
    near.add(0, 0);
    near.add(1, 0);
    near.add(0, 1);
    near.add(5, 5);
    EXPECT_EQ(run(near).tables.vertexB[1], 2);

    // Points 3 and 4 mirror each other across edge 1-2: the later is C.
    Points mirror;
    mirror.add(0, 0);
    mirror.add(1, 0);
    mirror.add(0.5, 2);
    mirror.add(0.5, -2);
    mirror.add(10, 10);
    const auto r = run(mirror);
    EXPECT_EQ(corners(r.tables, 1), (std::array<int, 3>{1, 2, 4}));
}

TEST(TriangulatorTest, SideOfLineIsZeroOnTheLineInEveryBranch)
{
    EXPECT_EQ(sideOfLine(1, 0, 1, 5, 1, 9), 0);    // vertical
    EXPECT_EQ(sideOfLine(0, 2, 5, 2, -7, 2), 0);   // horizontal
    EXPECT_EQ(sideOfLine(0, 0, 2, 1, 4, 2), 0);    // slanted
    EXPECT_EQ(sideOfLine(1, 0, 1, 5, 0, 0), 1);    // sign of xB - x
    EXPECT_EQ(sideOfLine(0, 2, 5, 2, 0, 3), -1);   // sign of yB - y
    EXPECT_EQ(sideOfLine(0, 0, 2, 1, 0, 1), 1);    // sign of y - m x - b
    EXPECT_EQ(sideOfLine(2, 1, 0, 0, 0, 1), 1);    // independent of direction
}

TEST(TriangulatorTest, CollinearHullPointsMakeNoFlatTriangle)
{
    Points p;
    p.add(0, 0);
    p.add(1, 0);
    p.add(2, 0);
    p.add(1, 2);
    const auto r = run(p);
    ASSERT_EQ(r.end, TriangulationEnd::Complete);
    ASSERT_EQ(r.tables.count, 2);
    EXPECT_EQ(corners(r.tables, 1), (std::array<int, 3>{1, 2, 4}));
    EXPECT_EQ(corners(r.tables, 2), (std::array<int, 3>{2, 4, 3}));
    expectConsistent(r.tables);
}

TEST(TriangulatorTest, RandomSetsAreValidDelaunayNetworks)
{
    for (int n : {6, 20, 100, 300}) {
        for (unsigned seed = 1; seed <= (n > 100 ? 4u : 25u); ++seed) {
            const Points p = randomPoints(seed * 7919u + static_cast<unsigned>(n), n);
            const auto r = run(p);
            ASSERT_EQ(r.end, TriangulationEnd::Complete) << n << " points, seed " << seed;
            EXPECT_EQ(r.tables.count, 2 * n - 2 - hullSize(p)) << n << " points, seed " << seed;
            expectConsistent(r.tables);
            expectEmptyCircles(p, r.tables);
        }
    }
}

// Points a few hundredths apart among points spread over two units: close
// incentres of different triangles must not be taken for the same one.
TEST(TriangulatorTest, CloseClusterAmongSpreadPointsStaysValid)
{
    for (unsigned seed = 1; seed <= 10; ++seed) {
        Points p = randomPoints(seed, 40, 2.0);
        std::mt19937 gen(seed + 1000);
        std::uniform_real_distribution<double> u(0, 0.05);
        for (int i = 0; i < 15; ++i)
            p.add(1.0 + u(gen), 1.0 + u(gen), u(gen));
        const auto r = run(p);
        ASSERT_EQ(r.end, TriangulationEnd::Complete);
        EXPECT_EQ(r.tables.count, 2 * p.n() - 2 - hullSize(p)) << "seed " << seed;
        expectConsistent(r.tables);
        expectEmptyCircles(p, r.tables);
    }
}

TEST(TriangulatorTest, DegenerateSetsEndConsistently)
{
    Points grid;  // a perfect grid: every cell has four cocircular corners
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 6; ++j)
            grid.add(i, j);
    Points duplicates = randomPoints(3, 12);
    for (int i = 1; i <= 6; ++i)
        duplicates.add(duplicates.x[static_cast<std::size_t>(i)], duplicates.y[static_cast<std::size_t>(i)]);
    Points circle;  // every point on one circle: each chord is seen alike from all
    for (int i = 0; i < 16; ++i)
        circle.add(std::cos(i * M_PI / 8), std::sin(i * M_PI / 8));
    Points threeOnALine;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {1.0, 1.0}, {2.0, 2.0}, {0.0, 2.0}, {2.0, 0.3}, {3.0, 1.0}})
        threeOnALine.add(x, y);
    for (const Points* p : {&grid, &duplicates, &circle, &threeOnALine}) {
        const auto r = run(*p);
        ASSERT_TRUE(r.end == TriangulationEnd::Complete || r.end == TriangulationEnd::CapReached);
        EXPECT_GT(r.tables.count, 0);
        EXPECT_LE(r.tables.count, triangleCap(p->n()));
        expectConsistent(r.tables);
    }
    EXPECT_EQ(run(threeOnALine).tables.count, 2 * 6 - 2 - hullSize(threeOnALine));
}

TEST(TriangulatorTest, CollinearOrTooFewPointsMakeNoTriangle)
{
    Points line;
    for (int i = 0; i < 8; ++i)
        line.add(i, 2 * i + 1);
    EXPECT_EQ(run(line).end, TriangulationEnd::NoTriangle);
    Points two;
    two.add(0, 0);
    two.add(1, 1);
    const auto r = run(two);
    EXPECT_EQ(r.end, TriangulationEnd::NoTriangle);
    EXPECT_EQ(r.tables.count, 0);
}

TEST(TriangulatorTest, CallbackStopsTheBuildAtOnce)
{
    const Points p = randomPoints(11, 50);
    std::vector<int> created;
    long seedScans = 0;
    TriangulationCallbacks cb;
    cb.seedScanned = [&](long, long) { ++seedScans; };
    cb.triangleCreated = [&](const Triangulation& t, int n) {
        EXPECT_EQ(t.count, n);
        created.push_back(n);
        return n < 3;
    };
    const auto r = run(p, cb);
    EXPECT_EQ(r.end, TriangulationEnd::Stopped);
    EXPECT_EQ(created, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(r.tables.count, 3);
    EXPECT_EQ(seedScans, 50);
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

void expectSameTables(const Triangulation& a, const Triangulation& b, const std::string& what)
{
    EXPECT_EQ(a.count, b.count) << what;
    EXPECT_EQ(a.cursor, b.cursor) << what;
    EXPECT_EQ(a.vertexA, b.vertexA) << what;
    EXPECT_EQ(a.vertexB, b.vertexB) << what;
    EXPECT_EQ(a.vertexC, b.vertexC) << what;
    EXPECT_EQ(a.neighbour, b.neighbour) << what;
    EXPECT_EQ(a.centreX, b.centreX) << what;
    EXPECT_EQ(a.centreZ, b.centreZ) << what;
}

// The indexed edge search must give the full scan's network row for row,
// ties and all.
TEST(TriangulatorTest, IndexedSearchGivesTheFullScansNetwork)
{
    std::vector<std::pair<std::string, Points>> sets;
    for (unsigned seed = 1; seed <= 6; ++seed)
        sets.emplace_back("random " + std::to_string(seed), randomPoints(seed, 400));
    Points grid, jittered, clustered = randomPoints(9, 60, 2.0), flat, dup = randomPoints(4, 50);
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> r(0, 0.0001);
    for (int i = 0; i < 15; ++i)
        for (int j = 0; j < 12; ++j) {
            grid.add(i, j, i * j);
            jittered.add(i + r(gen), j + r(gen), i + j);
        }
    for (int i = 0; i < 30; ++i)
        clustered.add(1 + r(gen) * 300, 1 + r(gen) * 300);
    for (int i = 0; i < 80; ++i)
        flat.add(i * 100.0 + r(gen), std::sin(i) + r(gen));
    for (std::size_t i = 1; i <= 20; ++i)
        dup.add(dup.x[i], dup.y[i], 1);
    for (auto* p : {&grid, &jittered, &clustered, &flat, &dup})
        sets.emplace_back("shape " + std::to_string(sets.size()), *p);
    for (const auto& [name, p] : sets) {
        const auto full = triangulate(p.x, p.y, p.z, p.n(), {}, EdgeSearch::FullScan);
        const auto fast = triangulate(p.x, p.y, p.z, p.n(), {}, EdgeSearch::Indexed);
        EXPECT_EQ(full.end, fast.end) << name;
        expectSameTables(full.tables, fast.tables, name);
    }
}

} // namespace
} // namespace tervane
