#include "engine/contour/Bspline.h"
#include "engine/contour/ContourFault.h"
#include "engine/contour/ContourTracer.h"
#include "engine/contour/ReferenceBspline.h"
#include "engine/contour/ReferenceTracer.h"
#include "support/HandNetworks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace tervane {
namespace {

using testing::gridNetwork;

// The curves of one level; a fault (a crossing that overflows) ends the
// list with an empty curve.
std::vector<TracedCurve> traceWith(auto& tracer, double level)
{
    std::vector<TracedCurve> curves;
    try {
        tracer.traceLevel(level, [&](const TracedCurve& c) { curves.push_back(c); });
    } catch (const ContourFault&) {
        curves.push_back({});
    }
    return curves;
}

bool samePoints(const std::vector<PlanePoint>& a, const std::vector<PlanePoint>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](PlanePoint p, PlanePoint q) {
               return p.x == q.x && p.y == q.y;
           });
}

// Renumbers the triangles at random (neighbours follow), so that the order
// of the rows has nothing to do with where the triangles lie, and leaves
// the last rows out of the passes, reachable only as neighbours.
ContourNetwork shuffledRows(const ContourNetwork& net, unsigned seed, int untraced)
{
    const int rows = net.rowCount();
    std::vector<int> order(static_cast<std::size_t>(rows));
    for (int t = 0; t < rows; ++t)
        order[static_cast<std::size_t>(t)] = t + 1;
    std::mt19937 gen(seed);
    std::shuffle(order.begin(), order.end(), gen);
    std::vector<int> newRow(static_cast<std::size_t>(rows) + 1, 0);
    for (int t = 0; t < rows; ++t)
        newRow[static_cast<std::size_t>(order[static_cast<std::size_t>(t)])] = t + 1;
    ContourNetwork out = net;
    for (int t = 1; t <= rows; ++t) {
        const auto from = static_cast<std::size_t>(order[static_cast<std::size_t>(t - 1)]);
        const auto to = static_cast<std::size_t>(t);
        out.vertexA[to] = net.vertexA[from];
        out.vertexB[to] = net.vertexB[from];
        out.vertexC[to] = net.vertexC[from];
        for (std::size_t side = 1; side <= 3; ++side)
            out.neighbour[to][side] = newRow[static_cast<std::size_t>(net.neighbour[from][side])];
    }
    out.traced = rows - untraced;
    return out;
}

// Hills and a pit with random noise; whole-number values on the plateau
// put vertices exactly on some levels; one network has a corner without a
// value and one an infinite one.
std::vector<ContourNetwork> identityNetworks()
{
    std::vector<ContourNetwork> nets;
    for (unsigned seed = 1; seed <= 3; ++seed) {
        std::mt19937 gen(seed);
        std::uniform_real_distribution<double> noise(-2, 2);
        ContourNetwork net = gridNetwork(23, 17, [&](double x, double y) {
            const double hill = 60 * std::exp(-((x - 7) * (x - 7) + (y - 8) * (y - 8)) / 12);
            const double pit = -40 * std::exp(-((x - 16) * (x - 16) + (y - 5) * (y - 5)) / 8);
            const double z = hill + pit + x + noise(gen);
            return x > 18 ? std::round(z) : z;
        });
        nets.push_back(shuffledRows(net, seed, seed == 2 ? 40 : 0));
    }
    nets.back().pointZ[50] = std::numeric_limits<double>::quiet_NaN();
    nets.back().pointZ[90] = std::numeric_limits<double>::infinity();
    return nets;
}

TEST(ReferenceIdentity, BandTracingGivesTheCurvesOfTheFullScan)
{
    int curvesCompared = 0;
    for (const ContourNetwork& net : identityNetworks()) {
        for (const TraceOptions options : {TraceOptions{0.5, false}, TraceOptions{3.0, true}}) {
            ContourTracer fast(net, options);
            reference::ReferenceTracer slow(net, options);
            // Levels in no particular order, through the whole range and
            // beyond it, some exactly on whole-number values.
            std::vector<double> levels = {-80, 200, 30, 25, 31, 0, -1e300, 1e300};
            for (double level = -45; level <= 85; level += 2.75)
                levels.push_back(level);
            for (const double level : levels) {
                const auto a = traceWith(fast, level);
                const auto b = traceWith(slow, level);
                ASSERT_EQ(a.size(), b.size()) << "level " << level;
                for (std::size_t c = 0; c < a.size(); ++c) {
                    EXPECT_EQ(a[c].controlLast, b[c].controlLast);
                    EXPECT_EQ(a[c].closed, b[c].closed);
                    EXPECT_TRUE(samePoints(a[c].control, b[c].control)) << "level " << level << " curve " << c;
                    EXPECT_TRUE(samePoints(a[c].crossings, b[c].crossings));
                    EXPECT_TRUE(samePoints(a[c].errorPoints, b[c].errorPoints));
                }
                EXPECT_EQ(fast.abandonedCurves(), slow.abandonedCurves());
                curvesCompared += static_cast<int>(a.size());
            }
        }
    }
    EXPECT_GT(curvesCompared, 500);
}

TEST(ReferenceIdentity, CurvePointsAreTheBitsOfTheFormerBasis)
{
    std::mt19937 gen(17);
    std::uniform_real_distribution<double> coord(-500, 500);
    for (const bool closed : {false, true}) {
        for (int k = 2; k <= 9; ++k) {
            for (const int n : {3, k - 1, k + 3, k + 4, 2 * k + 1, 57}) {
                if (n < 3 || (!closed && n < k - 1))
                    continue;
                std::vector<PlanePoint> control;
                for (int i = 0; i <= n; ++i)
                    control.push_back({coord(gen), coord(gen)});
                const Bspline fast(k, n, closed);
                const reference::ReferenceBspline slow(k, n, closed);
                // Every sample a drawing takes, and some between and beyond.
                std::vector<float> us;
                for (int j = 0; j < 20 * fast.range(); ++j)
                    us.push_back(static_cast<float>(j / 20.0));
                for (const float u : {-0.3f, 0.01f, static_cast<float>(n) + 0.999f, static_cast<float>(n + 1)})
                    us.push_back(u);
                for (const float u : us) {
                    const SplinePoint a = fast.point(u, control);
                    const SplinePoint b = slow.point(u, control);
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(a.x), std::bit_cast<std::uint32_t>(b.x))
                        << closed << " k " << k << " n " << n << " u " << u;
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(a.y), std::bit_cast<std::uint32_t>(b.y))
                        << closed << " k " << k << " n " << n << " u " << u;
                }
            }
        }
    }
}

} // namespace
} // namespace tervane
