#include "engine/network/ReferenceGrowth.h"

#include "engine/network/PointSets.h"

#include <gtest/gtest.h>

#include <random>

// The reference growth is the yardstick of the shipped build's numbering;
// these keep its two edge searches honest with each other.
namespace tervane {
namespace {

using test::Points;
using test::randomPoints;

TEST(ReferenceGrowthTest, SideOfLineIsZeroOnTheLineInEveryBranch)
{
    EXPECT_EQ(reference::sideOfLine(1, 0, 1, 5, 1, 9), 0);    // vertical
    EXPECT_EQ(reference::sideOfLine(0, 2, 5, 2, -7, 2), 0);   // horizontal
    EXPECT_EQ(reference::sideOfLine(0, 0, 2, 1, 4, 2), 0);    // slanted
    EXPECT_EQ(reference::sideOfLine(1, 0, 1, 5, 0, 0), 1);    // sign of xB - x
    EXPECT_EQ(reference::sideOfLine(0, 2, 5, 2, 0, 3), -1);   // sign of yB - y
    EXPECT_EQ(reference::sideOfLine(0, 0, 2, 1, 0, 1), 1);    // sign of y - m x - b
    EXPECT_EQ(reference::sideOfLine(2, 1, 0, 0, 0, 1), 1);    // independent of direction
}


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
TEST(ReferenceGrowthTest, IndexedSearchGivesTheFullScansNetwork)
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
        const auto full = reference::growNetwork(p.x, p.y, p.z, p.n(), {}, reference::EdgeSearch::FullScan);
        const auto fast = reference::growNetwork(p.x, p.y, p.z, p.n(), {}, reference::EdgeSearch::Indexed);
        EXPECT_EQ(full.end, fast.end) << name;
        expectSameTables(full.tables, fast.tables, name);
    }
}

} // namespace
} // namespace tervane
