#include "engine/contour/BandFill.h"
#include "engine/contour/ContourTracer.h"
#include "support/HandNetworks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace tervane {
namespace {

using testing::gridNetwork;

// The area of {value >= level} worked out triangle by triangle, each cut by
// the level as the surface is linear on it: an answer that owes nothing to
// the curves or the outline.
double areaAtOrAbove(const ContourNetwork& net, double level)
{
    double total = 0;
    for (int t = 1; t <= net.rowCount(); ++t) {
        const auto i = static_cast<std::size_t>(t);
        const int corners[3] = {net.vertexA[i], net.vertexB[i], net.vertexC[i]};
        Ring cut;
        for (int k = 0; k < 3; ++k) {
            const auto a = static_cast<std::size_t>(corners[k]);
            const auto b = static_cast<std::size_t>(corners[(k + 1) % 3]);
            const double za = net.pointZ[a];
            const double zb = net.pointZ[b];
            if (za >= level)
                cut.push_back({net.pointX[a], net.pointY[a]});
            if ((za >= level) != (zb >= level)) {
                const double s = (level - za) / (zb - za);
                cut.push_back({net.pointX[a] + s * (net.pointX[b] - net.pointX[a]),
                               net.pointY[a] + s * (net.pointY[b] - net.pointY[a])});
            }
        }
        if (cut.size() >= 3)
            total += std::abs(ringArea(cut));
    }
    return total;
}

// The curves of each level as a smoothness of 0 draws them: straight from
// crossing to crossing.
struct TracedLevels {
    std::vector<DrawnCurve> curves;
    std::vector<LevelCurves> levels;
};

TracedLevels traceLevels(const ContourNetwork& net, const std::vector<double>& values)
{
    TracedLevels out;
    ContourTracer tracer(net, {});
    std::vector<std::size_t> firstOfLevel;
    for (const double level : values) {
        firstOfLevel.push_back(out.curves.size());
        tracer.traceLevel(level, [&](const TracedCurve& curve) {
            DrawnCurve drawn{level, curve.closed, {}};
            for (const PlanePoint& p : curve.crossings)
                drawn.points.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
            out.curves.push_back(std::move(drawn));
        });
    }
    firstOfLevel.push_back(out.curves.size());
    for (std::size_t k = 0; k < values.size(); ++k) {
        LevelCurves level{values[k], values[k], {}};
        for (std::size_t c = firstOfLevel[k]; c < firstOfLevel[k + 1]; ++c)
            level.curves.push_back(&out.curves[c]);
        out.levels.push_back(std::move(level));
    }
    return out;
}

std::vector<double> levelsFrom(double low, double step, double high)
{
    std::vector<double> out;
    for (double v = low; v <= high + 1e-9; v += step)
        out.push_back(v);
    return out;
}

// Takes out the triangles whose centre `drop` picks, leaving a network with
// a hole or a notch in its outline.
ContourNetwork without(const ContourNetwork& full, const std::function<bool(double, double)>& drop)
{
    ContourNetwork net;
    for (int p = 1; p <= full.pointCount(); ++p) {
        const auto i = static_cast<std::size_t>(p);
        net.addPoint(full.pointX[i], full.pointY[i], full.pointZ[i]);
    }
    for (int t = 1; t <= full.rowCount(); ++t) {
        const auto i = static_cast<std::size_t>(t);
        const int v[3] = {full.vertexA[i], full.vertexB[i], full.vertexC[i]};
        double cx = 0, cy = 0;
        for (const int k : v) {
            cx += full.pointX[static_cast<std::size_t>(k)] / 3;
            cy += full.pointY[static_cast<std::size_t>(k)] / 3;
        }
        if (!drop(cx, cy))
            net.addTriangle(v[0], v[1], v[2], 0, 0, 0);
    }
    testing::connectNeighbours(net);
    net.zMin = full.zMin;
    net.zMax = full.zMax;
    return net;
}

struct Case {
    std::string name;
    ContourNetwork net;
    std::vector<double> levels;
};

std::vector<Case> cases()
{
    // Values with a small irregular part, so that no level meets a corner.
    const auto rough = [](double x, double y) {
        const double v = std::sin(x * 12.9898 + y * 78.233) * 43758.5453;
        return 0.01 * (v - std::floor(v));
    };
    std::vector<Case> all;
    // One peak: closed rings nested inside one another.
    all.push_back({"peak",
                   gridNetwork(13, 13, [&](double x, double y) { return 50 - (x - 6.2) * (x - 6.2) - (y - 5.8) * (y - 5.8) + rough(x, y); }),
                   levelsFrom(-80, 10, 60)});
    // Two peaks and the saddle between them: a level below the saddle has
    // one ring round both, one above it two apart.
    all.push_back({"saddle",
                   gridNetwork(17, 11, [&](double x, double y) {
                       return 20 * std::exp(-((x - 4) * (x - 4) + (y - 5) * (y - 5)) / 8) +
                              18 * std::exp(-((x - 12) * (x - 12) + (y - 5.3) * (y - 5.3)) / 8) + rough(x, y);
                   }),
                   levelsFrom(-5, 2.5, 25)});
    // A tilted plane: every line runs from one side of the outline to another.
    all.push_back({"tilted plane",
                   gridNetwork(9, 7, [&](double x, double y) { return 3 * x + 2 * y + rough(x, y); }), levelsFrom(-5, 5, 45)});
    // A crater on a hill: above the rim the region is a ring round a hole,
    // and a peak rising in the hole is an island in it.
    all.push_back({"crater with a central peak",
                   gridNetwork(15, 15, [&](double x, double y) {
                       const double r = std::hypot(x - 7.1, y - 6.9);
                       return 30 * std::exp(-(r - 4.5) * (r - 4.5) / 2) + 25 * std::exp(-r * r / 1.5) + rough(x, y);
                   }),
                   levelsFrom(-5, 5, 35)});
    // A square hill with its top cut out of the network: every line runs
    // round the hole, and the rings must not fill it.
    all.push_back({"hill round a hole",
                   without(gridNetwork(13, 13, [&](double x, double y) {
                               return 40 - 4 * std::max(std::abs(x - 6), std::abs(y - 6)) + rough(x, y);
                           }),
                           [](double x, double y) { return std::abs(x - 6) < 1 && std::abs(y - 6) < 1; }),
                   levelsFrom(10, 5, 45)});
    // A saddle with a hole in the network off its centre: lines run from
    // the outer loop to the hole's and on from the hole's to the outer one.
    all.push_back({"saddle round a hole",
                   without(gridNetwork(13, 13, [&](double x, double y) { return (x - 6.3) * (x - 6.3) - (y - 5.7) * (y - 5.7) + rough(x, y); }),
                           [](double x, double y) { return std::abs(x - 3) < 1.2 && std::abs(y - 9) < 1.2; }),
                   levelsFrom(-40, 6, 44)});
    // A slope with a notch taken out of its side: an outline that is not convex.
    all.push_back({"notched slope",
                   without(gridNetwork(12, 9, [&](double x, double y) { return x * x / 4 + y + rough(x, y); }),
                           [](double x, double y) { return x > 4 && x < 8 && y < 5; }),
                   levelsFrom(-5, 4, 40)});
    return all;
}

TEST(BandFill, BandAreasMatchTheSurfaceTriangleByTriangleAndAddUpToTheMap)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const NetworkOutline outline = networkOutline(c.net);
        const double mapArea = areaAtOrAbove(c.net, -1e9);
        ASSERT_NEAR(outline.area(), mapArea, 1e-9 * mapArea);
        const TracedLevels traced = traceLevels(c.net, c.levels);
        const std::vector<FilledBand> bands = makeFilledBands(outline, traced.levels);
        double sum = 0;
        int nonEmpty = 0;
        for (const FilledBand& band : bands) {
            const double expected = areaAtOrAbove(c.net, band.low) - areaAtOrAbove(c.net, band.high);
            EXPECT_NEAR(band.area, expected, 1e-4 * mapArea) << "band " << band.low << " to " << band.high;
            EXPECT_EQ(band.low, c.levels[static_cast<std::size_t>(band.lowerLevel)]);
            sum += band.area;
            ++nonEmpty;
        }
        EXPECT_NEAR(sum, mapArea, 1e-4 * mapArea);
        EXPECT_GE(nonEmpty, 4);
    }
}

TEST(BandFill, RegionRingsHaveTheShapesOfTheirSurface)
{
    // On the peak a level is one closed ring, no outline; below the lowest
    // value the region is the whole outline.
    const Case peak = cases()[0];
    const NetworkOutline outline = networkOutline(peak.net);
    ASSERT_EQ(outline.loops.size(), 1u);
    EXPECT_EQ(outline.loops[0].points.size(), 48u);
    const TracedLevels traced = traceLevels(peak.net, {30, -1000});
    const std::vector<Ring> top = regionAtOrAbove(outline, traced.levels[0]);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_NEAR(std::abs(ringArea(top[0])), areaAtOrAbove(peak.net, 30), 1e-6);
    const std::vector<Ring> all = regionAtOrAbove(outline, traced.levels[1]);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0], outline.loops[0].points);

    // Between the crater's rim and its central peak, one level gives a
    // ring round the rim, one round the hole and one round the island.
    const Case crater = cases()[3];
    const TracedLevels rim = traceLevels(crater.net, {12});
    EXPECT_EQ(regionAtOrAbove(networkOutline(crater.net), rim.levels[0]).size(), 3u);

    // The networks with a hole have two loops.
    EXPECT_EQ(networkOutline(cases()[4].net).loops.size(), 2u);
    EXPECT_EQ(networkOutline(cases()[5].net).loops.size(), 2u);
}

TEST(BandFill, EvenOddAreaCountsHolesIslandsAndRepeatedRings)
{
    const auto square = [](double x0, double y0, double side, bool clockwise) {
        Ring r{{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}};
        if (clockwise)
            std::reverse(r.begin(), r.end());
        return r;
    };
    struct Row {
        std::string name;
        std::vector<Ring> rings;
        double area;
    };
    const std::vector<Row> rows = {
        {"one square", {square(0, 0, 10, false)}, 100},
        {"either way round", {square(0, 0, 10, true)}, 100},
        {"hole", {square(0, 0, 10, false), square(2, 2, 4, false)}, 84},
        {"island in the hole", {square(0, 0, 10, true), square(2, 2, 6, false), square(4, 4, 2, true)}, 100 - 36 + 4},
        {"two apart", {square(0, 0, 2, false), square(5, 5, 3, true)}, 13},
        {"the same ring twice", {square(0, 0, 10, false), square(0, 0, 10, true)}, 0},
        {"hole touching the edge", {square(0, 0, 10, false), Ring{{0, 0}, {5, 0}, {0, 5}}}, 87.5},
    };
    for (const Row& row : rows)
        EXPECT_NEAR(evenOddArea(row.rings), row.area, 1e-9) << row.name;
}

TEST(BandFill, SmoothedLineEndsShortOfTheOutlineAndOutsideItStillCloseOnIt)
{
    // A plane rising to the right: the level 10 line runs from the bottom
    // side to the top one. Drawn, its ends stop short of the outline or
    // overshoot it; the region keeps to the outline and to the line.
    ContourNetwork net = gridNetwork(5, 5, [](double x, double y) { return 5 * x + 0.01 * y; });
    const NetworkOutline outline = networkOutline(net);
    const BandSurface surface(net);
    for (const float overshoot : {-0.05f, 0.0f, 0.3f}) {
        DrawnCurve line{10, false, {{2.0f, -overshoot}, {2.0f, 2.0f}, {2.0f, 4.0f + overshoot}}};
        const LevelCurves level{10, 10, {&line}};
        const std::vector<Ring> rings = regionAtOrAbove(outline, level, &surface);
        EXPECT_NEAR(evenOddArea(rings), 8, 1e-6) << overshoot;
        for (const Ring& ring : rings) {
            for (const PlanePoint& p : ring) {
                EXPECT_GE(p.x, -1e-9);
                EXPECT_LE(p.x, 4 + 1e-9);
                EXPECT_GE(p.y, -1e-9);
                EXPECT_LE(p.y, 4 + 1e-9);
            }
        }
    }
    // Drawn the other way round, the line closes the same region.
    DrawnCurve reversed{10, false, {{2.0f, 4.0f}, {2.0f, 0.0f}}};
    EXPECT_NEAR(evenOddArea(regionAtOrAbove(outline, LevelCurves{10, 10, {&reversed}})), 8, 1e-6);
}

} // namespace
} // namespace tervane
