#include "engine/contour/BandCheck.h"
#include "support/HandNetworks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tervane {
namespace {

// Ten by ten points one apart with a ridge of 10 along x = 5, falling 2 a
// unit to either side; the corner cells x, y >= 6 are cut out, so the
// outline has a notch.
ContourNetwork notchedRidge()
{
    ContourNetwork full = testing::gridNetwork(10, 10, [](double x, double) { return 10 - 2 * std::fabs(x - 5); });
    ContourNetwork net;
    for (int p = 1; p <= full.pointCount(); ++p) {
        const auto s = static_cast<std::size_t>(p);
        net.addPoint(full.pointX[s], full.pointY[s], full.pointZ[s]);
    }
    for (int t = 1; t <= full.rowCount(); ++t) {
        const auto s = static_cast<std::size_t>(t);
        const int v[3] = {full.vertexA[s], full.vertexB[s], full.vertexC[s]};
        bool inNotch = true;
        for (const int p : v) {
            const auto q = static_cast<std::size_t>(p);
            inNotch = inNotch && full.pointX[q] >= 6 && full.pointY[q] >= 6;
        }
        if (!inNotch)
            net.addTriangle(v[0], v[1], v[2], 0, 0, 0);
    }
    testing::connectNeighbours(net);
    net.traced = net.rowCount();
    net.zMin = 0;
    net.zMax = 10;
    return net;
}

DrawnCurve curve(double level, std::vector<SplinePoint> points)
{
    const bool closed = points.size() > 2 && points.front().x == points.back().x && points.front().y == points.back().y;
    return {level, closed, std::move(points)};
}

TEST(BandSurfaceTest, FollowsASegmentOverTheRidgeAndRoundTheNotch)
{
    const ContourNetwork net = notchedRidge();
    const BandSurface band(net);
    EXPECT_NE(band.locate(2.3, 4.4), 0);
    EXPECT_NEAR(band.valueAt(band.locate(2.3, 4.4), 2.3, 4.4), 4.6, 1e-9);
    EXPECT_EQ(band.locate(7.5, 7.5), 0);  // in the notch
    EXPECT_EQ(band.locate(-0.5, 3), 0);
    EXPECT_NE(band.locate(0, 3), 0);      // on the border

    struct Case {
        PlanePoint a, b;
        bool inside;
        double low, high;
    };
    const Case cases[] = {
        {{4.2, 1.1}, {5.8, 1.9}, true, 8.4, 10},   // both ends at 8.4, the ridge between
        {{1.5, 0.5}, {3.5, 8.3}, true, 3, 7},      // across many triangles, rising
        {{4.5, 5.5}, {4.5, 8.2}, true, 9, 9},      // along the ridge's flank, level
        {{5.5, 5.5}, {8.5, 8.5}, false, 0, 0},     // into the notch
        {{5.5, 8.5}, {8.5, 5.5}, false, 0, 0},     // across the notch, both ends inside
        {{2, 3}, {-1, 3}, false, 0, 0},            // out over the border
    };
    for (const Case& c : cases) {
        int from = 0;
        BandSurface::Range range;
        const bool inside = band.segmentRange(c.a, c.b, from, range);
        EXPECT_EQ(inside, c.inside) << c.a.x << "," << c.a.y;
        if (!inside || !c.inside)
            continue;
        EXPECT_NEAR(range.low, c.low, 1e-9) << c.a.x << "," << c.a.y;
        EXPECT_NEAR(range.high, c.high, 1e-9) << c.a.x << "," << c.a.y;
        EXPECT_NEAR(band.valueAt(from, c.b.x, c.b.y), c.b.x < 5 ? c.high : c.low, 1e-9);
    }
    // Both ends of the ridge segment are in the band of 8.5 at interval 1,
    // the segment is not.
    int from = 0;
    EXPECT_FALSE(band.segmentInBand({4.2, 1.1}, {5.8, 1.9}, 8, 9, from));
    from = 0;
    EXPECT_TRUE(band.segmentInBand({4.2, 1.1}, {4.4, 1.9}, 8, 9, from));
}

TEST(BandCheckTest, CountsCrossingsAndStretchesOutsideTheBand)
{
    const ContourNetwork net = notchedRidge();
    const BandSurface band(net);
    struct Case {
        std::string what;
        std::vector<DrawnCurve> curves;
        double interval;
        CrossingReport expected;  // crossing pairs, stretches, segments, points
    };
    const std::vector<Case> cases = {
        {"two levels side by side", {curve(4, {{2, 0}, {2, 5}}), curve(6, {{3, 0}, {3, 5}})}, 2, {0, 0, 0, 0}},
        {"over the ridge, ends in band",
         {curve(8, {{4.2, 1}, {5.8, 1.5}, {5.8, 3}})}, 2, {0, 1, 1, 0}},
        {"two stretches out, one point out",
         {curve(4, {{2, 0}, {2, 1}, {3.6, 1}, {2, 2}, {2, 3}, {3, 3.5}, {2, 4}})}, 2, {0, 2, 4, 2}},
        {"into the notch", {curve(7, {{6.5, 5}, {6.5, 6.5}, {6.5, 9}})}, 2, {0, 1, 2, 2}},
        {"outside the outline", {curve(4, {{-1, 3}})}, 2, {0, 0, 0, 1}},
        {"same level crossing", {curve(4, {{1.75, 0}, {2.25, 3}}), curve(4, {{2.25, 0}, {1.75, 3}})}, 2, {1, 0, 0, 0}},
        {"touching at an end", {curve(4, {{1.75, 0}, {2.25, 3}}), curve(4, {{2, 1.5}, {1.625, 3}})}, 2, {1, 0, 0, 0}},
        {"closed square closes without crossing",
         {curve(4, {{1.6, 1}, {2.4, 1}, {2.4, 2}, {1.6, 2}, {1.6, 1}})}, 2, {0, 0, 0, 0}},
        {"figure of eight", {curve(4, {{1.6, 1}, {2.4, 2}, {2.4, 1}, {1.6, 2}, {1.6, 1}})}, 2, {1, 0, 0, 0}},
        {"open line back over itself", {curve(4, {{1.6, 1}, {2.4, 1}, {2.4, 2}, {2, 0.5}})}, 2, {1, 0, 0, 0}},
        {"repeated point is no crossing", {curve(4, {{1.6, 1}, {2.0, 1}, {2.0, 1}, {2.4, 1.5}})}, 2, {0, 0, 0, 0}},
        {"curves of two levels crossing, both out",
         {curve(4, {{1, 2}, {3, 2}}), curve(5, {{2, 1}, {2, 3}})}, 2, {1, 2, 2, 4}},
    };
    for (const Case& c : cases) {
        const CrossingReport r = checkCurves(c.curves, band, c.interval);
        EXPECT_EQ(r.crossingPairs, c.expected.crossingPairs) << c.what;
        // Each crossing case has one pair of segments, of one curve or two.
        EXPECT_EQ(r.curvePairs + r.selfCrossing, c.expected.crossingPairs) << c.what;
        EXPECT_EQ(r.selfCrossing, c.expected.crossingPairs > 0 && c.curves.size() == 1 ? 1 : 0) << c.what;
        EXPECT_EQ(r.outOfBand, c.expected.outOfBand) << c.what;
        EXPECT_EQ(r.outOfBandSegments, c.expected.outOfBandSegments) << c.what;
        EXPECT_EQ(r.outOfBandPoints, c.expected.outOfBandPoints) << c.what;
    }
}

TEST(BandCheckTest, CountsCrossingsOfLinesWithoutLevels)
{
    // A comb of 40 upright lines and 30 across: every pair meets once.
    std::vector<std::vector<PlanePoint>> lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back({{i + 0.5, -1}, {i + 0.5, 10}, {i + 0.5, 31}});
    for (int j = 0; j < 30; ++j)
        lines.push_back({{-1, j + 0.25}, {20, j + 0.25}, {41, j + 0.25}});
    EXPECT_EQ(countCrossings(lines), 40 * 30);
    // A closed ring is closed where its last point is its first.
    lines = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}};
    EXPECT_EQ(countCrossings(lines), 0);
    lines = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5, -1}}};
    EXPECT_EQ(countCrossings(lines), 1);
}

} // namespace
} // namespace tervane
