#include "engine/network/Triangulator.h"

#include "engine/network/NetworkCheck.h"
#include "engine/network/PointSets.h"
#include "engine/network/ReferenceGrowth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

namespace tervane {
namespace {

using test::jitteredGrid;
using test::Points;
using test::randomPoints;

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

std::string describe(const NetworkFaults& f)
{
    return "flat " + std::to_string(f.flatTriangles) + ", crowded " + std::to_string(f.crowdedEdges)
           + ", folded " + std::to_string(f.foldedEdges) + ", neighbours "
           + std::to_string(f.brokenNeighbours) + ", circles " + std::to_string(f.occupiedCircles)
           + ", unfinished " + std::to_string(f.unfinishedRows) + ", triangles "
           + std::to_string(f.triangles) + " of " + std::to_string(f.expectedTriangles);
}

struct DegenerateSet {
    std::string name;
    Points points;
};

std::vector<DegenerateSet> degenerateSets()
{
    std::vector<DegenerateSet> sets;
    sets.push_back({"jittered grid 45 x 45", jitteredGrid(7, 45, 1e-4)});
    Points exact;  // every cell has four exactly cocircular corners
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 9; ++j)
            exact.add(i, j, i * j);
    sets.push_back({"exact grid", exact});
    Points rows;  // long collinear rows and one point off them
    for (int i = 0; i < 40; ++i) {
        rows.add(i, 0);
        rows.add(i, 1);
    }
    rows.add(17.5, 0.5);
    sets.push_back({"collinear rows plus one", rows});
    Points rings;  // 12 integer points on each of two concentric circles, and the centre
    for (auto [a, b] : {std::pair{5, 0}, {4, 3}, {3, 4}})
        for (int sx : {1, -1})
            for (int sy : {1, -1}) {
                rings.add(sx * a, sy * b);
                rings.add(sx * b * 2, sy * a * 2);
            }
    rings.add(0, 0);
    sets.push_back({"cocircular rings", rings});
    Points near = randomPoints(5, 60, 10);  // copies within 1e-12, and exact copies
    for (std::size_t i = 1; i <= 20; ++i)
        near.add(near.x[i] + 1e-12, near.y[i] - 1e-12);
    for (std::size_t i = 21; i <= 30; ++i)
        near.add(near.x[i], near.y[i]);
    sets.push_back({"duplicates", near});
    Points utm;  // UTM-scale survey points, a row nearly collinear to 1e-9
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> u(0, 2000);
    for (int i = 0; i < 80; ++i)
        utm.add(500000 + u(gen), 4500000 + u(gen));
    for (int i = 0; i < 30; ++i)
        utm.add(501000 + i * 7.0, 4501000 + i * 3.0 + (i % 3) * 1e-9);
    sets.push_back({"UTM scale", utm});
    return sets;
}

class NetworkValidityTest : public ::testing::TestWithParam<DegenerateSet> {};

TEST_P(NetworkValidityTest, EveryBuildIsAValidDelaunayTriangulation)
{
    const Points& p = GetParam().points;
    const auto r = triangulate(p.x, p.y, p.z, p.n());
    ASSERT_EQ(r.end, TriangulationEnd::Complete);
    const NetworkFaults f = checkNetwork(p.x, p.y, p.n(), r.tables);
    EXPECT_TRUE(f.valid()) << describe(f);
    EXPECT_GT(f.expectedTriangles, 0);
}

INSTANTIATE_TEST_SUITE_P(DegenerateSets, NetworkValidityTest, ::testing::ValuesIn(degenerateSets()),
                         [](const auto& param) {
                             std::string s = param.param.name;
                             for (char& c : s)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return s;
                         });

// The checker is only worth its verdicts if it sees the faults the old
// growth made on a jittered grid, and a hand-broken neighbour.
TEST(NetworkCheckTest, FindsTheFaultsOfTheOldGrowth)
{
    const Points grid = jitteredGrid(7, 45, 1e-4);
    const auto old = reference::growNetwork(grid.x, grid.y, grid.z, grid.n());
    EXPECT_FALSE(checkNetwork(grid.x, grid.y, grid.n(), old.tables).valid());

    const Points p = randomPoints(3, 30);
    auto r = triangulate(p.x, p.y, p.z, p.n());
    ASSERT_TRUE(checkNetwork(p.x, p.y, p.n(), r.tables).valid());
    r.tables.neighbour[1][1] = r.tables.neighbour[1][1] == 0 ? 2 : 0;
    EXPECT_GE(checkNetwork(p.x, p.y, p.n(), r.tables).brokenNeighbours, 1);
}

// Exactly cocircular corners: the edge grown takes the highest-numbered
// free point on the circle, whichever diagonal the triangulation chose.
TEST(TriangulatorTest, CocircularTieTakesTheHighestNumberedPoint)
{
    Points square;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {1.0, 1.0}, {0.0, 1.0}})
        square.add(x, y);
    const auto r = run(square);
    ASSERT_EQ(r.tables.count, 2);
    EXPECT_EQ(corners(r.tables, 1), (std::array<int, 3>{1, 2, 4}));
    EXPECT_EQ(corners(r.tables, 2), (std::array<int, 3>{2, 4, 3}));
    EXPECT_EQ(neighbours(r.tables, 1), (std::array<int, 4>{0, 0, 2, 0}));

    // Six points on one circle; 2 is nearest to 1 and every other point lies
    // beyond edge 1-2, so each edge in turn takes the highest free number.
    Points hexagon;
    for (auto [x, y] : {std::pair{3.0, -4.0}, {4.0, -3.0}, {5.0, 0.0}, {0.0, 5.0}, {-3.0, 4.0}, {-5.0, 0.0}})
        hexagon.add(x, y);
    const auto h = run(hexagon);
    ASSERT_EQ(h.tables.count, 4);
    const std::array<std::array<int, 3>, 4> rows{{{1, 2, 6}, {2, 6, 5}, {5, 2, 4}, {2, 4, 3}}};
    const std::array<std::array<int, 4>, 4> across{{{0, 0, 2, 0}, {0, 1, 0, 3}, {0, 2, 4, 0}, {0, 3, 0, 0}}};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(corners(h.tables, i), rows[static_cast<std::size_t>(i - 1)]) << "row " << i;
        EXPECT_EQ(neighbours(h.tables, i), across[static_cast<std::size_t>(i - 1)]) << "row " << i;
    }
}

// Wherever the old growth made a valid network, the rows are its rows,
// save where two candidates tied within rounding (at most 1 in 10,000).
TEST(TriangulatorTest, RowsMatchTheOldGrowthOnGeneralPositionData)
{
    std::vector<std::pair<std::string, Points>> sets;
    for (unsigned seed = 1; seed <= 3; ++seed)
        sets.emplace_back("uniform " + std::to_string(seed), randomPoints(seed, 2000, 1000));
    Points lines, utm, clustered = randomPoints(8, 300, 500);
    std::mt19937 gen(21);
    std::normal_distribution<double> wobble(0, 2);
    std::uniform_real_distribution<double> u(0, 1);
    for (int line = 0; line < 12; ++line)  // traverse lines, as a field crew walks them
        for (int k = 0; k < 60; ++k)
            lines.add(line * 40 + wobble(gen), k * 8 + wobble(gen), 100 + line + u(gen));
    for (int i = 0; i < 800; ++i)
        utm.add(512000 + 3000 * u(gen), 4371000 + 2000 * u(gen), 1200 + 50 * u(gen));
    for (int i = 0; i < 300; ++i)
        clustered.add(250 + 5 * u(gen), 250 + 5 * u(gen), u(gen));
    sets.emplace_back("survey lines", lines);
    sets.emplace_back("UTM scale", utm);
    sets.emplace_back("clustered", clustered);
    for (const auto& [name, p] : sets) {
        const auto old = reference::growNetwork(p.x, p.y, p.z, p.n());
        const auto now = triangulate(p.x, p.y, p.z, p.n());
        ASSERT_TRUE(checkNetwork(p.x, p.y, p.n(), old.tables).valid()) << name << ": not a yardstick";
        const Triangulation &a = old.tables, &b = now.tables;
        long differing = std::abs(a.count - b.count);
        for (std::size_t i = 1; i <= static_cast<std::size_t>(std::min(a.count, b.count)); ++i)
            differing += a.vertexA[i] != b.vertexA[i] || a.vertexB[i] != b.vertexB[i]
                         || a.vertexC[i] != b.vertexC[i] || a.neighbour[i] != b.neighbour[i]
                         || a.centreX[i] != b.centreX[i] || a.centreY[i] != b.centreY[i]
                         || a.centreZ[i] != b.centreZ[i];
        EXPECT_LE(differing * 10000, a.count) << name << ": " << differing << " of " << a.count;
        EXPECT_EQ(a.count, b.count) << name;
    }
}

} // namespace
} // namespace tervane
