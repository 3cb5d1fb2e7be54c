#include "engine/contour/ContourLabels.h"

#include "engine/base/NullCanvas.h"
#include "engine/contour/CurveDrawer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tervane {
namespace {

// A 600 x 400 pixel area whose user units are pixels, Y up as the map's.
class PixelArea : public NullCanvas {
public:
    PixelArea() : NullCanvas(600 * kTwipsPerPixel, 400 * kTwipsPerPixel) { setScale(0, 400, 600, 0); }
};

std::vector<SplinePoint> polyline(std::initializer_list<std::pair<double, double>> corners, int pieces = 40)
{
    std::vector<SplinePoint> out;
    const std::vector<std::pair<double, double>> c(corners);
    for (std::size_t i = 0; i + 1 < c.size(); ++i)
        for (int k = 0; k < pieces; ++k) {
            const double t = static_cast<double>(k) / pieces;
            out.push_back({static_cast<float>(c[i].first + t * (c[i + 1].first - c[i].first)),
                           static_cast<float>(c[i].second + t * (c[i + 1].second - c[i].second))});
        }
    out.push_back({static_cast<float>(c.back().first), static_cast<float>(c.back().second)});
    return out;
}

double distanceToLine(SplinePoint p, const std::vector<SplinePoint>& line)
{
    double best = INFINITY;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const double ax = line[i].x, ay = line[i].y, bx = line[i + 1].x, by = line[i + 1].y;
        const double len2 = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
        const double t = len2 > 0 ? std::clamp(((p.x - ax) * (bx - ax) + (p.y - ay) * (by - ay)) / len2, 0.0, 1.0) : 0;
        best = std::min(best, std::hypot(p.x - ax - t * (bx - ax), p.y - ay - t * (by - ay)));
    }
    return best;
}

constexpr Colour kHalo = rgb(1, 2, 3);

// Turned text as the labeller writes it: the canvas remembers each value.
class TextArea : public PixelArea {
public:
    struct Turned {
        double x, y, angle;
        std::string text;
    };
    std::vector<Turned> turned;

protected:
    // The values themselves, not their halos.
    void paintTurnedText(double x, double y, double angle, const std::string& utf8, Colour c) override
    {
        if (c != kHalo)
            turned.push_back({x, y, angle, utf8});
    }
};

TEST(ContourLabels, ValuesGoOnStraightStretchesUprightWithTheLineBrokenUnderThem)
{
    const double pi = std::numbers::pi;
    struct Case {
        const char* what;
        std::vector<SplinePoint> line;
        int role;
        int values;    // values written on the line: none, or at least one
        double angle;  // of the first, as seen
    };
    const Case cases[] = {
        {"left to right", polyline({{20, 200}, {580, 200}}), kIndexContour, 1, 0},
        {"right to left reads upright", polyline({{580, 100}, {20, 100}}), kIndexContour, 1, 0},
        {"downward reads bottom to top", polyline({{300, 380}, {300, 20}}), kIndexContour, 1, pi / 2},
        {"rising diagonal", polyline({{20, 20}, {380, 380}}), kIndexContour, 1, pi / 4},
        {"falling diagonal drawn backwards", polyline({{380, 20}, {20, 380}}), kIndexContour, 1, -pi / 4},
        {"too short for its value", polyline({{100, 200}, {140, 200}}), kIndexContour, 0, 0},
        {"a tight zigzag has no straight stretch",
         polyline({{20, 200}, {30, 215}, {40, 200}, {50, 215}, {60, 200}, {70, 215}, {80, 200}, {90, 215},
                   {100, 200}, {110, 215}, {120, 200}, {130, 215}, {140, 200}},
                  4),
         kIndexContour, 0, 0},
        {"ordinary contours carry none in index mode", polyline({{20, 200}, {580, 200}}), kOrdinaryContour, 0, 0},
        {"past the area's edge", polyline({{-400, 200}, {-20, 200}}), kIndexContour, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextArea area;
        ContourLabeller labeller(1, {0, 0, 600, 400}, 1000);
        const auto stretches = labeller.place(area, 1.0, c.line, 120, c.role);
        labeller.write(area, 1.0, kHalo, nullptr);
        ASSERT_EQ(area.turned.empty(), c.values == 0);
        EXPECT_EQ(stretches.size(), area.turned.size() + 1);
        // Nothing is added to or moved off the line, and the line starts
        // where it did.
        EXPECT_FLOAT_EQ(stretches.front().front().x, c.line.front().x);
        EXPECT_FLOAT_EQ(stretches.front().front().y, c.line.front().y);
        EXPECT_FLOAT_EQ(stretches.back().back().x, c.line.back().x);
        for (const auto& stretch : stretches)
            for (const SplinePoint& p : stretch)
                EXPECT_LT(distanceToLine(p, c.line), 1e-3);
        if (c.values == 0)
            continue;
        const auto& value = area.turned.front();
        EXPECT_EQ(value.text, "120");
        EXPECT_NEAR(value.angle, c.angle, 1e-6);
        EXPECT_LT(distanceToLine({static_cast<float>(value.x), static_cast<float>(value.y)}, c.line), 0.5);
        // The gap is as long as the text and a little air, and the text sits in it.
        const SplinePoint gapStart = stretches[0].back();
        const SplinePoint gapEnd = stretches[1].front();
        const double gap = std::hypot(gapEnd.x - gapStart.x, gapEnd.y - gapStart.y);
        const double textWidth = area.toPixelLength(area.textWidth("120"));
        EXPECT_GT(gap, textWidth);
        EXPECT_LT(gap, textWidth + 2 * std::fabs(area.textHeight()));
        EXPECT_NEAR(std::hypot(value.x - (gapStart.x + gapEnd.x) / 2, value.y - (gapStart.y + gapEnd.y) / 2), 0, 0.5);
    }
}

TEST(ContourLabels, ValuesKeepTheirSpacingAlongALineAndNeverOverprintEachOther)
{
    TextArea area;
    ContourLabeller labeller(2, {0, 0, 600, 400}, 1000);
    // A long line gets several values, well apart.
    const auto longLine = polyline({{10, 300}, {590, 300}, {590, 250}, {10, 250}, {10, 200}, {590, 200}});
    labeller.place(area, 1.0, longLine, 5, kOrdinaryContour);
    labeller.write(area, 1.0, kHalo, nullptr);
    ASSERT_GE(area.turned.size(), 3u);
    for (std::size_t i = 0; i < area.turned.size(); ++i)
        for (std::size_t j = i + 1; j < area.turned.size(); ++j) {
            const auto& a = area.turned[i];
            const auto& b = area.turned[j];
            if (std::fabs(a.y - b.y) < 1)
                EXPECT_GT(std::fabs(a.x - b.x), 20 * std::fabs(area.textHeight()));
        }
    // A line right beside a labelled one finds the places taken.
    const std::size_t before = area.turned.size();
    for (int k = 1; k <= 3; ++k) {
        labeller.place(area, 1.0, polyline({{10, 300.0 + k}, {590, 300.0 + k}}), 5 + k, kOrdinaryContour);
        labeller.write(area, 1.0, kHalo, nullptr);
    }
    for (std::size_t i = 0; i < labeller.boxes().size(); ++i)
        for (std::size_t j = i + 1; j < labeller.boxes().size(); ++j)
            EXPECT_FALSE(labeller.boxes()[i].overlaps(labeller.boxes()[j])) << i << " " << j;
    EXPECT_EQ(labeller.labelCount(), static_cast<long>(area.turned.size()));
    EXPECT_GE(area.turned.size(), before);
}

TEST(ContourLabels, ValuesFollowThePanelsDecimalsRoundedNotCut)
{
    const struct {
        double level;
        int scale;
        const char* text;
    } cases[] = {
        {0.1 * 3, 1000, ".3"}, {0.7 + 0.2, 1000, ".9"}, {120, 1000, "120"}, {12.346, 100, "12.35"},
        {-5.5, 1, "-6"},       {2500, 1, "2500"},
    };
    for (const auto& c : cases) {
        const ContourLabeller labeller(1, {0, 0, 10, 10}, c.scale);
        EXPECT_EQ(labeller.valueText(c.level), c.text) << c.level;
    }
}

} // namespace
} // namespace tervane
