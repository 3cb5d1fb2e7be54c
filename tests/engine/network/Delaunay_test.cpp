#include "engine/network/Delaunay.h"

#include "engine/network/PointSets.h"
#include "engine/network/Triangulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>

namespace tervane {
namespace {

using test::Points;

// The mesh's triangles as sorted point triples.
std::set<std::array<int, 3>> triangles(const DelaunayMesh& m)
{
    std::set<std::array<int, 3>> out;
    for (const auto& f : m.faces) {
        std::array<int, 3> t{};
        for (std::size_t i = 0; i < 3; ++i)
            t[i] = m.pointOfVertex[static_cast<std::size_t>(f.corner[i])];
        std::sort(t.begin(), t.end());
        out.insert(t);
    }
    return out;
}

bool sameTables(const Triangulation& a, const Triangulation& b)
{
    auto bits = [](const std::vector<double>& u, const std::vector<double>& v) {
        return u.size() == v.size() && std::memcmp(u.data(), v.data(), u.size() * sizeof(double)) == 0;
    };
    return a.count == b.count && a.cursor == b.cursor && a.vertexA == b.vertexA && a.vertexB == b.vertexB
           && a.vertexC == b.vertexC && a.neighbour == b.neighbour && bits(a.centreX, b.centreX)
           && bits(a.centreY, b.centreY) && bits(a.centreZ, b.centreZ);
}

struct TrickySet {
    std::string name;
    Points points;
};

// Sets where many meshes are equally Delaunay: exact grids, points on
// shared circles, collinear runs, exact copies.
std::vector<TrickySet> trickySets()
{
    std::mt19937 gen(17);
    std::vector<TrickySet> sets;
    Points grid, copies, rows, rings, scattered;
    std::vector<std::pair<int, int>> nodes;
    for (int i = 0; i < 14; ++i)
        for (int j = 0; j < 11; ++j)
            nodes.emplace_back(i, j);
    std::shuffle(nodes.begin(), nodes.end(), gen);  // numbered in no order, as surveyed
    for (auto [i, j] : nodes)
        grid.add(i, j, i - j);
    sets.push_back({"exact grid", grid});
    for (int k = 0; k < 150; ++k)  // a small grid where most places hold several copies
        copies.add(static_cast<double>(gen() % 6), static_cast<double>(gen() % 6), k % 7);
    sets.push_back({"copies on a grid", copies});
    for (int i = 0; i < 30; ++i) {  // two collinear rows, half the points given twice
        rows.add(i, 0, i);
        rows.add(29 - i, 2, i);
        if (i % 2 == 0)
            rows.add(i, 0, -i);
    }
    rows.add(11.5, 1, 5);
    sets.push_back({"collinear rows", rows});
    for (auto [a, b] : {std::pair{5, 0}, {4, 3}, {3, 4}, {0, 5}})  // two rings of integer points
        for (int sx : {1, -1})
            for (int sy : {1, -1}) {
                rings.add(sx * a, sy * b, a);
                rings.add(sx * b * 2, sy * a * 2, b);
            }
    sets.push_back({"cocircular rings", rings});
    for (int k = 0; k < 120; ++k)  // integer points, many of them on shared circles
        scattered.add(static_cast<double>(gen() % 9), static_cast<double>(gen() % 9) * 0.5, k);
    sets.push_back({"half grid", scattered});
    return sets;
}

// Insertion orders change only the diagonals among cocircular points; the
// numbering must not see them. Without the re-cut of cocircular polygons
// and the settled seed, the rows would follow whichever diagonal came out.
TEST(DelaunayTest, NumberingIsTheSameWhateverDiagonalsTheMeshDrew)
{
    for (const auto& [name, p] : trickySets()) {
        const auto reference = triangulate(p.x, p.y, p.z, p.n());
        ASSERT_EQ(reference.end, TriangulationEnd::Complete) << name;
        std::set<std::set<std::array<int, 3>>> meshes;
        for (std::uint64_t seed = 0; seed < 6; ++seed) {
            DelaunayMesh mesh = delaunayMesh(p.x, p.y, p.n(), seed);
            meshes.insert(triangles(mesh));
            const auto numbered = numberMesh(std::move(mesh), p.x, p.y, p.z, p.n());
            EXPECT_TRUE(sameTables(reference.tables, numbered.tables)) << name << ", order seed " << seed;
        }
        EXPECT_GT(meshes.size(), 1u) << name << ": the seeds never changed a diagonal, so this proves nothing";
    }
}

// Away from cocircular points the Delaunay triangulation is unique: every
// order gives the same triangles. Copies stand for the lowest number at
// their place, and every distinct place is one vertex.
TEST(DelaunayTest, GeneralPositionMeshIsUniqueAndCopiesMapToTheLowestNumber)
{
    Points p = test::randomPoints(23, 400, 1000);
    for (std::size_t i = 1; i <= 40; ++i)
        p.add(p.x[i * 7], p.y[i * 7]);  // exact copies, numbered after their original
    p.add(p.x[3], p.y[3]);
    const auto first = delaunayMesh(p.x, p.y, p.n(), 0);
    EXPECT_EQ(first.pointOfVertex.size(), 400u);
    for (std::uint64_t seed = 1; seed < 4; ++seed)
        EXPECT_EQ(triangles(delaunayMesh(p.x, p.y, p.n(), seed)), triangles(first)) << "seed " << seed;
    for (long q = 1; q <= p.n(); ++q) {
        const auto k = static_cast<std::size_t>(q);
        const auto expected = q <= 400 ? q : q == p.n() ? 3 : (q - 400) * 7;
        EXPECT_EQ(first.representative[k], expected) << "point " << q;
    }
    for (const auto& f : first.faces)
        for (std::size_t i = 0; i < 3; ++i)
            if (f.across[i] >= 0) {  // each neighbour names this face back
                const auto& g = first.faces[static_cast<std::size_t>(f.across[i])];
                EXPECT_EQ(std::count(g.across.begin(), g.across.end(), &f - first.faces.data()), 1);
            }
}

// The quick predicates answer from floating point only when the sign is
// certain. Integer points near a line or a circle, far from the origin,
// against the exact determinants in 128-bit integers.
TEST(DelaunayTest, PredicatesGiveExactSignsOnNearDegenerateInput)
{
    __extension__ typedef __int128 Wide;
    auto sign = [](Wide v) { return v > 0 ? 1 : v < 0 ? -1 : 0; };
    std::mt19937_64 gen(5);
    const long long base = 1LL << 22;  // survey-scale coordinates, exact in doubles
    auto near = [&](long long centre) { return centre + static_cast<long long>(gen() % 5) - 2; };
    int zeros = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        // b and c near the line through a with a random direction; d near
        // the circle of a, b, c when those come from a Pythagorean triple.
        const long long dx = static_cast<long long>(gen() % 2000) - 1000, dy = static_cast<long long>(gen() % 2000) - 1000;
        const long long ax = base + static_cast<long long>(gen() % 1000), ay = base - static_cast<long long>(gen() % 1000);
        const long long bx = near(ax + dx), by = near(ay + dy), cx = near(ax + 3 * dx), cy = near(ay + 3 * dy);
        const Wide orient = Wide(ax - cx) * (by - cy) - Wide(ay - cy) * (bx - cx);
        EXPECT_EQ(orientation(ax, ay, bx, by, cx, cy), sign(orient));

        const long long r = 5 * (1 + static_cast<long long>(gen() % 200));
        const long long ox = base + static_cast<long long>(gen() % 1000), oy = base;
        const long long px[4] = {ox + r, ox + r * 3 / 5, ox - r * 4 / 5, near(ox)};
        const long long py[4] = {oy, oy + r * 4 / 5, oy - r * 3 / 5, near(oy - r)};
        Wide rows[3][3];
        for (int i = 0; i < 3; ++i) {
            const Wide x = px[i] - px[3], y = py[i] - py[3];
            rows[i][0] = x;
            rows[i][1] = y;
            rows[i][2] = x * x + y * y;
        }
        const Wide det = rows[0][2] * (rows[1][0] * rows[2][1] - rows[2][0] * rows[1][1])
                         + rows[1][2] * (rows[2][0] * rows[0][1] - rows[0][0] * rows[2][1])
                         + rows[2][2] * (rows[0][0] * rows[1][1] - rows[1][0] * rows[0][1]);
        EXPECT_EQ(inCircle(px[0], py[0], px[1], py[1], px[2], py[2], px[3], py[3]), sign(det));
        zeros += det == 0;
    }
    EXPECT_GT(zeros, 100);  // the exact cases were reached, not only the easy ones
}

// Point 1's nearest point is 2; four more points see edge 1-2 under the same
// angle, two on each side, each pair on one circle with it. The seed takes
// the highest-numbered of all four, whichever side it lies on.
TEST(DelaunayTest, SeedTakesTheHighestNumberedOfEquallyGoodPointsOnBothSides)
{
    const std::array<std::pair<double, double>, 4> places{{{0, 1}, {1, 1}, {0, -1}, {1, -1}}};
    std::array<int, 4> perm{0, 1, 2, 3};
    do {
        Points p;
        p.add(0, 0);
        p.add(1, 0);
        for (int k : perm)
            p.add(places[static_cast<std::size_t>(k)].first, places[static_cast<std::size_t>(k)].second);
        for (std::uint64_t seed = 0; seed < 3; ++seed) {
            const auto r = numberMesh(delaunayMesh(p.x, p.y, p.n(), seed), p.x, p.y, p.z, p.n());
            ASSERT_GE(r.tables.count, 1);
            EXPECT_EQ(r.tables.vertexC[1], 6) << "order " << perm[0] << perm[1] << perm[2] << perm[3];
        }
    } while (std::next_permutation(perm.begin(), perm.end()));
}

} // namespace
} // namespace tervane
