#include "engine/contour/BandMend.h"
#include "engine/contour/ContourRun.h"
#include "engine/contour/LevelSequence.h"
#include "engine/hpgl/PlotFilePlayer.h"
#include "support/HandNetworks.h"
#include "support/RunFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <string_view>

namespace tervane {
namespace {

// A small fixed roughness, so that no level runs through a grid point and
// the grid's symmetry does not hide anything.
double roughness(double x, double y)
{
    const double v = std::sin(x * 12.9898 + y * 78.233) * 43758.5453;
    return 0.05 * (v - std::floor(v));
}

// Surfaces whose levels lie close together at the interval given: a cliff
// that meanders, a saddle, narrow ridges and a field of small steep hills.
struct Surface {
    std::string name;
    std::function<double(double, double)> height;
    double interval;
};

const std::vector<Surface>& surfaces()
{
    static const std::vector<Surface> all = {
        {"meandering cliff",
         [](double x, double y) { return 40 * std::tanh((x - 11 + 4 * std::sin(y / 2.5)) / 1.5) + 0.4 * y + roughness(x, y); },
         2.5},
        {"saddle",
         [](double x, double y) {
             return ((x - 11.6) * (x - 11.6) - (y - 12.3) * (y - 12.3)) / 4 + 1.5 * std::sin(1.9 * x) * std::sin(2.3 * y) +
                    roughness(x, y);
         },
         1},
        {"narrow ridges",
         [](double x, double y) {
             return 30 * std::exp(-std::pow((x - 11 - 5 * std::sin(y / 3)) / 1.3, 2)) +
                    20 * std::exp(-std::pow((y - 8.5 - 0.3 * x) / 1.1, 2)) + roughness(x, y);
         },
         2},
        {"steep hills",
         [](double x, double y) {
             return 25 * std::sin(x / 1.7) * std::cos(y / 2.1) + 10 * std::sin((x + 2 * y) / 3.3) + roughness(x, y);
         },
         2.5},
    };
    return all;
}

class BandMendRun : public test::RunFixture {
protected:
    // Draws the surface at a smoothness and returns the run's crossing check.
    SharedState::CrossingCounts draw(int smooth, bool mend)
    {
        panel.classic = false;
        panel.contourLabels = 0;
        panel.mendCrossings = mend;
        panel.reportCrossings = true;
        panel.smoothValue = smooth + 2;
        state.crossings = {};
        EXPECT_TRUE(drawContourMap(ctx));
        return state.crossings;
    }
};

// Every surface at every smoothness, drawn with the mend, keeps every curve
// in its band and crosses nothing; drawn without it, each surface has
// faults at some smoothness, so the table asks something of the mend.
TEST_F(BandMendRun, NoCurveLeavesItsBandOrCrossesOnAnySurfaceAtAnySmoothness)
{
    for (const Surface& surface : surfaces()) {
        writeNetwork(testing::gridNetwork(20, 20, surface.height));
        panel.intervalText = std::to_string(surface.interval);
        long faultsWithout = 0;
        for (int smooth = 0; smooth <= 7; ++smooth) {
            const auto with = draw(smooth, true);
            EXPECT_GT(with.curves, 10) << surface.name << " smoothness " << smooth;
            EXPECT_EQ(with.crossingPairs, 0) << surface.name << " smoothness " << smooth;
            EXPECT_EQ(with.outOfBand, 0) << surface.name << " smoothness " << smooth;
            const auto without = draw(smooth, false);
            EXPECT_EQ(without.mendedCurves, 0) << surface.name;
            if (smooth == 0)
                EXPECT_EQ(without.crossingPairs + without.outOfBand, 0) << surface.name << ": the traced polygons";
            faultsWithout += without.crossingPairs + without.outOfBand;
        }
        EXPECT_GT(faultsWithout, 0) << surface.name;
    }
}

// The plot file carries no levels: its curves, read back at the file's
// number precision, still cross nowhere.
TEST_F(BandMendRun, CurvesReadBackFromThePlotFileDoNotCross)
{
    for (const Surface& surface : surfaces()) {
        writeNetwork(testing::gridNetwork(20, 20, surface.height));
        panel.intervalText = std::to_string(surface.interval);
        panel.pointLabelMode = 5;
        for (const int smooth : {2, 7}) {
            panel.check15 = true;
            state.dataFileName = dir.file("surface.D3D");
            const auto counts = draw(smooth, true);
            ASSERT_GT(counts.curves, 0) << surface.name;
            // Each curve is one pen-up move and its pen-down samples.
            std::vector<std::vector<PlanePoint>> lines;
            const std::string text = test::readBytes(dir.file("surface.PLT"));
            std::size_t from = 0;
            while (from < text.size()) {
                std::size_t end = text.find("\r\n", from);
                if (end == std::string::npos)
                    end = text.size();
                if (const auto pen = readPenCommand(std::string_view(text).substr(from, end - from))) {
                    if (!pen->penDown)
                        lines.emplace_back();
                    if (!lines.empty())
                        lines.back().push_back({pen->x, pen->y});
                }
                from = end + 2;
            }
            // The curves come first, the survey points after them.
            ASSERT_GE(static_cast<long>(lines.size()), counts.curves) << surface.name << " smoothness " << smooth;
            lines.resize(static_cast<std::size_t>(counts.curves));
            EXPECT_EQ(countCrossings(lines), 0) << surface.name << " smoothness " << smooth;
        }
    }
}

// The curves of one surface as the Draw run samples them, level by level,
// before and after the mend.
struct Sampled {
    std::vector<DrawnCurve> before, after;
    MendStats stats;
};

Sampled sampleAndMend(const ContourNetwork& net, double interval, int smooth)
{
    Sampled out;
    const BandSurface band(net);
    ContourTracer tracer(net, {});
    const LevelSequence seq = makeLevelSequence(net.zMin, net.zMax, interval);
    const int order = smooth + 2;
    for (long k = 0; k < seq.count; ++k) {
        const double level = seq.level(k);
        const double traced = 0.9999999 * level - (smooth >= 3 ? smooth * smooth * interval / 500 : 0);
        if (traced <= net.zMin)
            continue;
        tracer.traceLevel(traced, [&](const TracedCurve& curve) {
            const Bspline spline(order, curve.controlLast, curve.closed);
            std::vector<SplinePoint> points{spline.point(0, curve.control)};
            for (int j = 0; j <= 20 * spline.range() - 1; j += Bspline::sampleStep(order))
                points.push_back(spline.point(static_cast<float>(j / 20.0), curve.control));
            if (curve.closed)
                points.push_back(points.front());
            out.before.push_back({level, curve.closed, points});
            mendCurve(points, curve, order, level, interval, band, out.stats);
            out.after.push_back({level, curve.closed, points});
        });
    }
    return out;
}

bool samePoints(const std::vector<SplinePoint>& a, const std::vector<SplinePoint>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].x != b[i].x || a[i].y != b[i].y)
            return false;
    }
    return true;
}

// A curve in its band and off every other curve of its level comes out as
// it went in; a mended one keeps its start and end where they were and
// moves only part of its points, none farther than the polygon lies.
TEST(BandMendTest, MendsOnlyTheStretchesThatNeedIt)
{
    for (const Surface& surface : surfaces()) {
        ContourNetwork net = testing::gridNetwork(20, 20, surface.height);
        net.traced = net.rowCount();
        const BandSurface band(net);
        for (const int smooth : {3, 7}) {
            const Sampled s = sampleAndMend(net, surface.interval, smooth);
            ASSERT_EQ(s.before.size(), s.after.size());
            long mended = 0;
            for (std::size_t c = 0; c < s.before.size(); ++c) {
                const DrawnCurve& before = s.before[c];
                const DrawnCurve& after = s.after[c];
                std::vector<DrawnCurve> level;
                for (const DrawnCurve& other : s.before) {
                    if (other.level == before.level)
                        level.push_back(other);
                }
                const CrossingReport alone = checkCurves({before}, band, surface.interval);
                const CrossingReport withLevel = checkCurves(level, band, surface.interval);
                const bool sound = alone.outOfBandSegments == 0 && withLevel.crossingPairs == 0;
                if (sound) {
                    EXPECT_TRUE(samePoints(before.points, after.points)) << surface.name << " curve " << c;
                    continue;
                }
                if (samePoints(before.points, after.points))
                    continue;  // its fault was another curve's to mend
                ++mended;
                EXPECT_EQ(checkCurves({after}, band, surface.interval).outOfBandSegments, 0) << surface.name;
                if (!before.closed) {
                    EXPECT_EQ(after.points.front().x, before.points.front().x) << surface.name << " curve " << c;
                    EXPECT_EQ(after.points.front().y, before.points.front().y) << surface.name << " curve " << c;
                }
                std::size_t kept = 0;
                for (const SplinePoint& p : after.points) {
                    for (const SplinePoint& q : before.points) {
                        if (p.x == q.x && p.y == q.y) {
                            ++kept;
                            break;
                        }
                    }
                }
                EXPECT_GT(kept, 0u) << surface.name << " curve " << c;
            }
            EXPECT_EQ(mended, s.stats.mendedCurves - s.stats.unresolvedCurves) << surface.name << " smoothness " << smooth;
            EXPECT_EQ(s.stats.unresolvedCurves, 0) << surface.name << " smoothness " << smooth;
            const CrossingReport all = checkCurves(s.after, band, surface.interval);
            EXPECT_EQ(all.crossingPairs + all.outOfBand, 0) << surface.name << " smoothness " << smooth;
        }
    }
}

// A curve made of points along its own traced polygon at order 2 is the
// polygon itself and in its band: the mend leaves it alone, point for point.
TEST(BandMendTest, TheTracedPolygonIsLeftAsItIs)
{
    ContourNetwork net = testing::gridNetwork(12, 12, [](double x, double y) { return x * x + 3 * y + roughness(x, y); });
    net.traced = net.rowCount();
    const Sampled s = sampleAndMend(net, 4, 0);
    ASSERT_FALSE(s.before.empty());
    for (std::size_t c = 0; c < s.before.size(); ++c)
        EXPECT_TRUE(samePoints(s.before[c].points, s.after[c].points)) << c;
    EXPECT_EQ(s.stats.mendedCurves, 0);
    EXPECT_EQ(s.stats.largestMove, 0);
}

} // namespace
} // namespace tervane
