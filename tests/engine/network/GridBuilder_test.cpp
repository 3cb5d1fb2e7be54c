#include "engine/network/GridBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tervane {
namespace {

TEST(GridBuilderTest, OptimizedSizeFollowsPointCountAndAspect)
{
    EXPECT_EQ(optimizedGridSize(50, 10, 10).columns, 11);   // a = 1, q = 125
    EXPECT_EQ(optimizedGridSize(50, 10, 10).rows, 11);
    EXPECT_EQ(optimizedGridSize(6, 3, 3).columns, 4);       // q = 15: 3 raised to 4
    EXPECT_EQ(optimizedGridSize(6, 3, 3).rows, 3);
    const GridSize wide = optimizedGridSize(100, 200, 50);  // a = 4, q = 100
    EXPECT_EQ(wide.columns, 20);
    EXPECT_EQ(wide.rows, 10);
}

TEST(GridBuilderTest, FlatAreasAndLargeSetsStayWithinBounds)
{
    // A very flat area would give 0 rows; at least 2 keep the spacing finite.
    const GridSize flat = optimizedGridSize(10, 1e6, 1);
    EXPECT_GE(flat.rows, 2);
    EXPECT_GE(flat.columns, 4);
    const GridSize tall = optimizedGridSize(10, 1, 1e6);
    EXPECT_GE(tall.rows, 2);
    EXPECT_EQ(tall.columns, 4);
    for (long n : {1000L, 32767L}) {
        const GridSize big = optimizedGridSize(n, 3, 2);
        EXPECT_LE(static_cast<long>(big.columns) * big.rows, limits::kMaxGridNodes);
        EXPECT_GT(static_cast<long>(big.columns) * big.rows, limits::kMaxGridNodes * 8 / 10 * (n == 32767));
    }
    const GridSize capped = optimizedGridSize(1000, 1, 1, 100);
    EXPECT_LE(capped.columns * capped.rows, 100);
    EXPECT_GE(capped.columns * capped.rows, 80);
    EXPECT_THROW(optimizedGridSize(10, 0, 1), std::invalid_argument);
}

TEST(GridBuilderTest, NodesRunColumnByColumnOverTheArea)
{
    Random random(5);
    GridPlacement where;
    where.xRange = 30;
    where.yRange = 20;
    where.nudgeFirstNode = false;
    const Grid g = placeGridNodes({4, 3}, where, random);
    ASSERT_EQ(g.nodeCount(), 12);
    // Node k = (i - 1) x rows + j: node 5 is column 2, row 2.
    EXPECT_DOUBLE_EQ(g.x[5], 10);
    EXPECT_DOUBLE_EQ(g.y[5], 10);
    EXPECT_DOUBLE_EQ(g.x[12], 30);
    EXPECT_DOUBLE_EQ(g.y[12], 20);
    EXPECT_DOUBLE_EQ(g.x[1], 0);

    where.nudgeFirstNode = true;
    where.originX = 100;  // with a background picture the grid starts at the minima
    where.originY = 50;
    const Grid nudged = placeGridNodes({4, 3}, where, random);
    EXPECT_GT(nudged.x[1], 100);
    EXPECT_LT(nudged.x[1], 100.0011);
    EXPECT_DOUBLE_EQ(nudged.y[1], 50);
    EXPECT_DOUBLE_EQ(nudged.x[2], 100);
}

TEST(GridBuilderTest, InteriorOffsetsLeaveTheBoundaryExact)
{
    Random random(9);
    GridPlacement where;
    where.nudgeFirstNode = false;
    Grid g = placeGridNodes({5, 4}, where, random);
    const Grid before = g;
    offsetInteriorNodes(g, random);
    for (long k = 1; k <= g.nodeCount(); ++k) {
        const auto s = static_cast<std::size_t>(k);
        const long column = (k - 1) / g.rows + 1, row = (k - 1) % g.rows + 1;
        const bool boundary = column == 1 || column == g.columns || row == 1 || row == g.rows;
        if (boundary) {
            EXPECT_EQ(g.x[s], before.x[s]) << "node " << k;
            EXPECT_EQ(g.y[s], before.y[s]) << "node " << k;
        } else {
            const double dx = g.x[s] - before.x[s], dy = g.y[s] - before.y[s];
            EXPECT_GE(dx, k / 1000130.0 - 1e-15);
            EXPECT_LT(dx, k / 1000130.0 + 1e-6);
            EXPECT_GE(dy, k / 1000190.0 - 1e-15);
            EXPECT_LT(dy, k / 1000190.0 + 1e-6);
        }
    }
}

TEST(GridBuilderTest, NodeValueWeighsFourNearestDistinctDistances)
{
    std::vector<double> x{0, 1, 0, 2, 3, 4, 5}, y{0, 0, 1, 0, 0, 0, 0};
    std::vector<double> z{0, 10, 1000, 20, 30, 40, 5000};
    // Points 1 and 2 are both at distance 1: only point 1 counts, and the
    // next three distinct distances are 2, 3 and 4.
    double num = 0, den = 0;
    for (int d = 1; d <= 4; ++d) {
        const double r = d * d + 1e-7;
        num += 10.0 * d / r;
        den += 1 / r;
    }
    EXPECT_FLOAT_EQ(weightedNodeValue(0, 0, x, y, z, 6), static_cast<float>(num / den));
    // A node on a data point takes (almost exactly) that point's value.
    EXPECT_NEAR(weightedNodeValue(3, 0, x, y, z, 6), 30.0f, 1e-4);
    // Fewer than four distinct distances use what there is.
    EXPECT_FLOAT_EQ(weightedNodeValue(0, 0, x, y, z, 2), 10.0f);
}

// Filling the grid through the cell index gives every node exactly the
// value of the plain scan over all points, ties between equal distances
// included.
TEST(GridBuilderTest, GridValuesMatchThePlainScan)
{
    std::mt19937 gen(17);
    std::uniform_real_distribution<double> u(0, 50);
    for (bool lattice : {false, true}) {
        std::vector<double> x{0}, y{0}, z{0};
        for (int i = 0; i < 400; ++i) {
            x.push_back(lattice ? i % 20 * 2.5 : u(gen));
            y.push_back(lattice ? i / 20 * 2.5 : u(gen));
            z.push_back(u(gen));
        }
        Random random(3);
        GridPlacement where;
        where.nudgeFirstNode = false;
        GridSize size{31, 29};
        if (lattice) {
            // Nodes on the points and half-way between: equal distances abound.
            where.xRange = where.yRange = 47.5;
            size = {39, 39};
        } else {
            where.originX = -3;  // nodes outside the points' box as well
            where.xRange = 56;
            where.yRange = 50;
        }
        Grid g = placeGridNodes(size, where, random);
        weightGridValues(g, x, y, z, 400);
        for (long k = 1; k <= g.nodeCount(); ++k) {
            const auto s = static_cast<std::size_t>(k);
            ASSERT_EQ(g.z[s], weightedNodeValue(g.x[s], g.y[s], x, y, z, 400))
                << (lattice ? "lattice" : "random") << " node " << k;
        }
    }
}

TEST(GridBuilderTest, ThreeDimensionalGridIsAlwaysTwentyOneSquare)
{
    EXPECT_EQ(k3dGridSize.columns, 21);
    EXPECT_EQ(k3dGridSize.rows, 21);
    Random random(1);
    std::vector<double> x{0, 0, 1, 0, 1, 0.5, 0.2}, y{0, 0, 0, 1, 1, 0.5, 0.7}, z{0, 1, 2, 3, 4, 5, 6};
    Grid g = placeGridNodes(k3dGridSize, {}, random);
    weightGridValues(g, x, y, z, 6);
    EXPECT_EQ(g.nodeCount(), 441);
    EXPECT_NEAR(g.z[441], 4.0f, 1e-4);  // node 441 sits on point 4 at (1, 1)
}

} // namespace
} // namespace tervane
