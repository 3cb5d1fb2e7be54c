#include "engine/contour/ContourFault.h"
#include "engine/contour/ContourTracer.h"
#include "support/HandNetworks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tervane {
namespace {

using testing::gridNetwork;
using testing::sixTriangleCone;
using testing::twoTriangleSquare;

std::vector<TracedCurve> trace(const ContourNetwork& net, double level, TraceOptions options = {})
{
    std::vector<TracedCurve> curves;
    ContourTracer tracer(net, options);
    tracer.traceLevel(level, [&](const TracedCurve& c) { curves.push_back(c); });
    return curves;
}

void expectPoint(PlanePoint p, double x, double y)
{
    EXPECT_NEAR(p.x, x, 1e-12);
    EXPECT_NEAR(p.y, y, 1e-12);
}

ContourNetwork singleTriangle()
{
    ContourNetwork net;
    net.addPoint(0, 0, 0);
    net.addPoint(2, 0, 10);
    net.addPoint(0, 2, 10);
    net.addTriangle(1, 2, 3, 0, 0, 0);
    net.traced = 1;
    return net;
}

TEST(ContourTracer, SquareOfTwoTrianglesGivesOneOpenCurveFromTheLastTriangle)
{
    const auto curves = trace(twoTriangleSquare(), 5);
    ASSERT_EQ(curves.size(), 1u);
    const TracedCurve& c = curves[0];
    EXPECT_FALSE(c.closed);
    // Starts on border side 3 of triangle 2 (4 to 1), crosses the diagonal
    // and leaves through side 1 of triangle 1.
    ASSERT_EQ(c.crossings.size(), 3u);
    expectPoint(c.crossings[0], 0, 0.5);
    expectPoint(c.crossings[1], 0.25, 0.25);
    expectPoint(c.crossings[2], 0.5, 0);
    // crossing, midpoint, crossing, midpoint, crossing, the last repeated.
    ASSERT_EQ(c.controlLast, 5);
    expectPoint(c.control[1], 0.125, 0.375);
    expectPoint(c.control[3], 0.375, 0.125);
    EXPECT_EQ(c.control[5], c.control[4]);
}

TEST(ContourTracer, TwoCrossingOpenCurveHasCrossingMidpointCrossingAndRepeat)
{
    const auto curves = trace(singleTriangle(), 5);
    ASSERT_EQ(curves.size(), 1u);
    const TracedCurve& c = curves[0];
    ASSERT_EQ(c.controlLast, 3);
    expectPoint(c.control[0], 1, 0);
    expectPoint(c.control[1], 0.5, 0.5);
    expectPoint(c.control[2], 0, 1);
    expectPoint(c.control[3], 0, 1);
}

TEST(ContourTracer, ErrorControlPutsEachErrorPointAfterItsCrossing)
{
    const auto curves = trace(singleTriangle(), 5, {1.0, true});
    ASSERT_EQ(curves.size(), 1u);
    const TracedCurve& c = curves[0];
    // Level + 1.00 E = 6 lies inside both sides.
    ASSERT_EQ(c.controlLast, 5);
    expectPoint(c.control[0], 1, 0);
    expectPoint(c.control[1], 1.2, 0);
    expectPoint(c.control[2], 0.6, 0.5);
    expectPoint(c.control[3], 0, 1);
    expectPoint(c.control[4], 0, 1.2);
    expectPoint(c.control[5], 0, 1.2);
    ASSERT_EQ(c.errorPoints.size(), 2u);
    // Without error control the error points are found but not listed.
    const auto plain = trace(singleTriangle(), 5, {1.0, false});
    EXPECT_EQ(plain[0].controlLast, 3);
    expectPoint(plain[0].errorPoints[0], 1.2, 0);
}

TEST(ContourTracer, ZeroErrorOnlyRepeatsEachCrossing)
{
    const auto curves = trace(singleTriangle(), 5, {0.0, true});
    ASSERT_EQ(curves.size(), 1u);
    const TracedCurve& c = curves[0];
    ASSERT_EQ(c.controlLast, 5);
    EXPECT_EQ(c.control[1], c.control[0]);
    EXPECT_EQ(c.control[4], c.control[3]);
}

TEST(ContourTracer, ConeGivesOneClosedCurvePerLevel)
{
    const ContourNetwork cone = sixTriangleCone();
    for (double level = 10; level < 100; level += 10) {
        const auto curves = trace(cone, level);
        ASSERT_EQ(curves.size(), 1u) << level;
        const TracedCurve& c = curves[0];
        EXPECT_TRUE(c.closed);
        // Six spokes, the first one crossed twice.
        ASSERT_EQ(c.crossings.size(), 7u);
        EXPECT_EQ(c.crossings.front(), c.crossings.back());
        const double radius = 10 * (1 - level / 100);
        for (const PlanePoint& p : c.crossings)
            EXPECT_NEAR(std::hypot(p.x, p.y), radius, 1e-6);  // X and Y are singles
        // The repeat of the first crossing is dropped but kept past the end.
        EXPECT_EQ(c.controlLast, 11);
        ASSERT_EQ(c.control.size(), 13u);
        EXPECT_EQ(c.control[12], c.control[0]);
    }
}

TEST(ContourTracer, ClosedCurveWithErrorControlDropsTheLastErrorPoint)
{
    const auto curves = trace(sixTriangleCone(), 50, {5.0, true});
    ASSERT_EQ(curves.size(), 1u);
    const TracedCurve& c = curves[0];
    EXPECT_TRUE(c.closed);
    EXPECT_EQ(c.controlLast, 18);
    EXPECT_EQ(c.control[18], c.crossings.front());
    EXPECT_EQ(c.control[19], c.errorPoints.back());
}

TEST(ContourTracer, LevelsAtOrOutsideTheValuesTraceNothing)
{
    EXPECT_TRUE(trace(sixTriangleCone(), 100).empty());
    EXPECT_TRUE(trace(sixTriangleCone(), 0).empty());
    EXPECT_TRUE(trace(sixTriangleCone(), -5).empty());
}

TEST(ContourTracer, OpenCurveIsOpenEvenWhenItsEndsLieCloseTogether)
{
    // A ramp cut by a level near one corner: both ends within 0.001.
    ContourNetwork net;
    net.addPoint(0, 0, 0);
    net.addPoint(1, 0, 10);
    net.addPoint(0, 1, 10);
    net.addTriangle(1, 2, 3, 0, 0, 0);
    net.traced = 1;
    const auto curves = trace(net, 0.0001);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_FALSE(curves[0].closed);
}

TEST(ContourTracer, LongCurvesGrowTheirListsBeyondTheOldCapacities)
{
    // A strip 400 points long rising across its width: the level runs its
    // whole length through 798 triangles.
    const ContourNetwork strip = gridNetwork(400, 2, [](double x, double y) { return y + 1e-7 * x; });
    const auto curves = trace(strip, 0.5, {0.1, true});
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0].crossings.size(), 799u);
    EXPECT_EQ(curves[0].controlLast, 3 * 799 - 2 + 1);
}

// A cycle of neighbour rows that never reaches the border: the walk gives
// up after as many moves as there are triangles.
TEST(ContourTracer, MalformedNeighbourCycleEndsTheCurve)
{
    ContourNetwork net;
    net.addPoint(0, 0, 0);
    net.addPoint(1, 0, 10);
    net.addPoint(0, 1, 10);
    net.addTriangle(1, 2, 3, 0, 0, 2);
    net.addTriangle(1, 2, 3, 1, 1, 1);
    net.traced = 2;
    ContourTracer tracer(net, {});
    int drawn = 0;
    tracer.traceLevel(5, [&](const TracedCurve&) { ++drawn; });
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(tracer.abandonedCurves(), 1);
}

TEST(ContourTracer, RefusesANetworkThatPointsOutsideItself)
{
    ContourNetwork net = singleTriangle();
    net.neighbour[1][2] = 7;
    EXPECT_THROW(ContourTracer(net, {}), ContourFault);
    net = singleTriangle();
    net.vertexC[1] = 4;
    EXPECT_THROW(ContourTracer(net, {}), ContourFault);
}

// Hills and a pit on a jittered grid, so that levels make both open and
// closed curves.
ContourNetwork hillyGrid(unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> jitter(0, 1e-5);
    return gridNetwork(16, 13, [&](double x, double y) {
        const double hill = 60 * std::exp(-((x - 5) * (x - 5) + (y - 6) * (y - 6)) / 8);
        const double pit = -40 * std::exp(-((x - 11) * (x - 11) + (y - 4) * (y - 4)) / 5);
        return hill + pit + 2 * x + jitter(gen);
    });
}

double cross(PlanePoint o, PlanePoint a, PlanePoint b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool segmentsCross(PlanePoint a, PlanePoint b, PlanePoint c, PlanePoint d)
{
    const double d1 = cross(c, d, a);
    const double d2 = cross(c, d, b);
    const double d3 = cross(a, b, c);
    const double d4 = cross(a, b, d);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

struct Segment {
    PlanePoint a, b;
    std::size_t curve;
    std::size_t index;
};

TEST(ContourTracer, LinesOfOneLevelNeverCrossOnGeneratedNetworks)
{
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const ContourNetwork net = hillyGrid(seed);
        for (double level = -30; level <= 80; level += 7.5) {
            const auto curves = trace(net, level);
            std::vector<Segment> segments;
            for (std::size_t c = 0; c < curves.size(); ++c) {
                const auto& x = curves[c].crossings;
                for (std::size_t i = 0; i + 1 < x.size(); ++i)
                    segments.push_back({x[i], x[i + 1], c, i});
            }
            for (std::size_t i = 0; i < segments.size(); ++i) {
                for (std::size_t j = i + 1; j < segments.size(); ++j) {
                    const Segment& s = segments[i];
                    const Segment& t = segments[j];
                    if (s.curve == t.curve && t.index == s.index + 1)
                        continue;
                    EXPECT_FALSE(segmentsCross(s.a, s.b, t.a, t.b))
                        << "seed " << seed << " level " << level;
                }
            }
        }
    }
}

TEST(ContourTracer, EveryCrossedSideIsCrossedOnceOpenCurvesFirst)
{
    const ContourNetwork net = hillyGrid(7);
    int closedSeen = 0;
    for (double level = -30; level <= 80; level += 5) {
        const auto curves = trace(net, level);
        // The sides the level crosses, each counted once.
        int crossedSides = 0;
        for (int t = 1; t <= net.rowCount(); ++t) {
            for (int side = 1; side <= 3; ++side) {
                const int n = net.neighbour[static_cast<std::size_t>(t)][static_cast<std::size_t>(side)];
                if (n != 0 && n < t)
                    continue;
                const auto e = net.sideEnds(t, side);
                const double zp = net.pointZ[static_cast<std::size_t>(e[0])];
                const double zq = net.pointZ[static_cast<std::size_t>(e[1])];
                crossedSides += (zp < level && level < zq) || (zq < level && level < zp);
            }
        }
        // Each crossing lies on a crossed side, between its end values.
        for (const TracedCurve& c : curves) {
            for (const PlanePoint& p : c.crossings) {
                bool onSide = false;
                for (int t = 1; t <= net.rowCount() && !onSide; ++t) {
                    for (int side = 1; side <= 3 && !onSide; ++side) {
                        const auto e = net.sideEnds(t, side);
                        const auto a = static_cast<std::size_t>(e[0]);
                        const auto b = static_cast<std::size_t>(e[1]);
                        const double za = net.pointZ[a];
                        const double zb = net.pointZ[b];
                        if (!((za < level && level < zb) || (zb < level && level < za)))
                            continue;
                        const double r = (level - za) / (zb - za);
                        onSide = std::fabs(net.pointX[a] + r * (net.pointX[b] - net.pointX[a]) - p.x) < 1e-9 &&
                                 std::fabs(net.pointY[a] + r * (net.pointY[b] - net.pointY[a]) - p.y) < 1e-9;
                    }
                }
                EXPECT_TRUE(onSide) << level;
            }
        }
        int crossings = 0;
        bool closedBegun = false;
        for (const TracedCurve& c : curves) {
            crossings += static_cast<int>(c.crossings.size()) - (c.closed ? 1 : 0);
            if (c.closed)
                closedBegun = true;
            else
                EXPECT_FALSE(closedBegun) << "open curve after a closed one at " << level;
            closedSeen += c.closed;
        }
        EXPECT_EQ(crossings, crossedSides) << level;
    }
    EXPECT_GT(closedSeen, 0);
}

} // namespace
} // namespace tervane
