#include "engine/state/LegendLayout.h"

#include "engine/base/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;

constexpr double kTwips = kTwipsPerPixel;

MapLegend renderedLegend(int levels)
{
    MapLegend legend;
    legend.rendered = true;
    legend.interval = 10;
    legend.indexInterval = 50;
    for (int k = 0; k < levels; ++k)
        legend.levels.push_back({100.0 + 10.0 * k, rgb(10 + k, 200 - k, 30)});
    return legend;
}

MapLegend lineLegend()
{
    MapLegend legend;
    legend.interval = 20;
    legend.indexInterval = 100;
    legend.lineColour = rgb(0, 192, 0);
    legend.indexColour = rgb(192, 0, 0);
    return legend;
}

// Everything the legend paints lies inside its own canvas.
void expectInside(const RecordingCanvas& canvas)
{
    for (const RecordingCanvas::Op& op : canvas.ops) {
        if (op.kind == Kind::Clear)
            continue;
        for (const double x : {op.x1, op.x2}) {
            EXPECT_GE(x, 0);
            EXPECT_LE(x, canvas.pixelWidth());
        }
        for (const double y : {op.y1, op.y2}) {
            EXPECT_GE(y, 0);
            EXPECT_LE(y, canvas.pixelHeight());
        }
    }
}

TEST(LegendLayout, LevelRowsKeepBothEndsAndThinEvenly)
{
    struct Case {
        std::size_t levels;
        std::size_t rows;
        std::vector<std::size_t> shown;
    };
    const Case cases[] = {
        {0, 5, {}},
        {9, 0, {}},
        {3, 5, {2, 1, 0}},
        {5, 5, {4, 3, 2, 1, 0}},
        {10, 4, {9, 6, 3, 0}},
        {11, 3, {10, 5, 0}},
        {7, 1, {6}},
        {6, 2, {5, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(legendLevelRows(c.levels, c.rows), c.shown) << c.levels << " levels in " << c.rows << " rows";

    // Any count: as many rows as fit, highest first, no level twice, both ends kept.
    for (std::size_t levels = 1; levels <= 60; ++levels) {
        for (std::size_t rows = 1; rows <= 25; ++rows) {
            const std::vector<std::size_t> shown = legendLevelRows(levels, rows);
            ASSERT_EQ(shown.size(), std::min(levels, rows)) << levels << " in " << rows;
            EXPECT_EQ(shown.front(), levels - 1);
            if (rows > 1) {
                EXPECT_EQ(shown.back(), 0u) << levels << " in " << rows;
            }
            EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend()));
            EXPECT_EQ(std::adjacent_find(shown.begin(), shown.end()), shown.end());
        }
    }
}

TEST(LegendLayout, ValuesFollowThePanelsDecimalsAndIntervalsDoNot)
{
    struct Case {
        double value;
        int scale;
        std::string text;
    };
    const Case cases[] = {
        {12.3456, 100, "12.34"}, {12.3456, 1, "12"},  {-3.5, 1, "-4"},
        {1000, 1000, "1000"},    {0.29, 100, ".29"},  {250.57, 10, "250.5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(legendValueText(c.value, c.scale), c.text) << c.value << " at " << c.scale;

    MapLegend legend = lineLegend();
    legend.interval = 0.5;
    legend.indexInterval = 2.5;
    legend.valueScale = 1;
    EXPECT_EQ(lineLegendCaptions(legend), (std::vector<std::string>{"等高距 .5", "计曲线 2.5"}));
}

TEST(LegendLayout, RenderedMapShowsEveryLevelsColourAndValueHighestFirst)
{
    const MapLegend legend = renderedLegend(6);
    PanelSettings panel;
    panel.beijing = rgb(1, 2, 3);
    panel.zhuji = rgb(250, 5, 5);
    RecordingCanvas canvas(120 * kTwips, 497 * kTwips);
    drawLegend(canvas, legend, panel);

    ASSERT_FALSE(canvas.ops.empty());
    EXPECT_EQ(canvas.ops.front().kind, Kind::Clear);
    EXPECT_EQ(canvas.ops.front().colour, panel.beijing);
    const std::vector<std::string> expected = {"图例", "150", "140", "130", "120", "110", "100"};
    EXPECT_EQ(canvas.texts(), expected);
    for (const RecordingCanvas::Op& text : canvas.opsOf(Kind::Text))
        EXPECT_EQ(text.colour, panel.zhuji) << text.text;
    const std::vector<RecordingCanvas::Op> swatches = canvas.opsOf(Kind::FilledBox);
    ASSERT_EQ(swatches.size(), 6u);
    for (std::size_t r = 0; r < swatches.size(); ++r) {
        EXPECT_EQ(swatches[r].colour, legend.levels[5 - r].colour);
        if (r > 0) {
            EXPECT_GE(std::min(swatches[r].y1, swatches[r].y2), std::max(swatches[r - 1].y1, swatches[r - 1].y2))
                << "rows do not overlap";
        }
    }
    EXPECT_EQ(canvas.count(Kind::Line), 0u);
    expectInside(canvas);
}

TEST(LegendLayout, TheNaturalHeightHoldsEveryRowAndAPixelLessThinsThem)
{
    for (int levels = 1; levels <= 40; ++levels) {
        const MapLegend legend = renderedLegend(levels);
        RecordingCanvas measure(120 * kTwips, 497 * kTwips);
        const int height = legendPixelHeight(legend, measure);
        RecordingCanvas full(120 * kTwips, height * kTwips);
        drawLegend(full, legend, PanelSettings{});
        EXPECT_EQ(full.count(Kind::FilledBox), static_cast<std::size_t>(levels)) << levels;
        expectInside(full);

        // A pixel less drops one level, and never the highest or the lowest.
        RecordingCanvas short1(120 * kTwips, (height - 1) * kTwips);
        drawLegend(short1, legend, PanelSettings{});
        EXPECT_EQ(short1.count(Kind::FilledBox), static_cast<std::size_t>(levels - 1)) << levels;
        expectInside(short1);
        const std::vector<std::string> texts = short1.texts();
        if (levels > 2) {
            EXPECT_EQ(texts[1], legendValueText(legend.levels.back().value, legend.valueScale));
            EXPECT_EQ(texts.back(), legendValueText(legend.levels.front().value, legend.valueScale));
        }
    }
}

TEST(LegendLayout, LineMapShowsTheIntervalAndIndexIntervalWithLineSamples)
{
    const MapLegend legend = lineLegend();
    PanelSettings panel;
    panel.lineWidthText = "3";
    RecordingCanvas canvas(120 * kTwips, 497 * kTwips);
    drawLegend(canvas, legend, panel);

    EXPECT_EQ(canvas.texts(), (std::vector<std::string>{"图例", "等高距 20", "计曲线 100"}));
    const std::vector<RecordingCanvas::Op> samples = canvas.opsOf(Kind::Line);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].colour, legend.lineColour);
    EXPECT_EQ(samples[1].colour, legend.indexColour);
    for (const RecordingCanvas::Op& sample : samples) {
        EXPECT_EQ(sample.drawWidth, 3) << "drawn with the map's pen";
        EXPECT_EQ(sample.y1, sample.y2);
        EXPECT_GT(sample.x2 - sample.x1, 10);
    }
    EXPECT_EQ(canvas.count(Kind::FilledBox), 0u);
    expectInside(canvas);

    // Before any run: the background alone.
    canvas.forget();
    drawLegend(canvas, MapLegend{}, panel);
    ASSERT_EQ(canvas.ops.size(), 1u);
    EXPECT_EQ(canvas.ops[0].kind, Kind::Clear);
}

TEST(LegendLayout, WidthFollowsTheWidestCaptionWithinItsBounds)
{
    RecordingCanvas measure(631 * kTwips, 497 * kTwips);
    measure.setScale(-500, 10500, 10000, -300);  // a map's scale: the width is still in pixels
    const int narrow = legendPixelWidth(renderedLegend(3), measure);
    EXPECT_EQ(narrow, legend::kMinWidth);

    MapLegend wide = renderedLegend(3);
    wide.levels[1].value = 4512300.125;
    wide.valueScale = 1000;
    const int wider = legendPixelWidth(wide, measure);
    EXPECT_GT(wider, narrow);
    EXPECT_LE(wider, legend::kMaxWidth);

    wide.levels[1].value = -1.234567890123e14;
    EXPECT_EQ(legendPixelWidth(wide, measure), legend::kMaxWidth);
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

// A filled map's legend shows its bands, highest first, each as its range
// in its band colour, whether or not the lines were rendered; the report
// lists them lowest first with their areas.
TEST(LegendLayout, FilledMapShowsEachBandsRangeAndColour)
{
    for (const bool rendered : {false, true}) {
        MapLegend legend = rendered ? renderedLegend(4) : lineLegend();
        legend.valueScale = 10;
        legend.bands = {{95, 100, rgb(1, 1, 1), 12.5}, {100, 105.25, rgb(2, 2, 2), 30}, {105.25, 110, rgb(3, 3, 3), 7.5}};
        legend.mapArea = 50;
        PanelSettings panel;
        RecordingCanvas canvas(120 * kTwips, 497 * kTwips);
        drawLegend(canvas, legend, panel);
        EXPECT_EQ(canvas.texts(), (std::vector<std::string>{"图例", "105.2~110", "100~105.2", "95~100"}));
        const std::vector<RecordingCanvas::Op> swatches = canvas.opsOf(Kind::FilledBox);
        ASSERT_EQ(swatches.size(), 3u);
        EXPECT_EQ(swatches[0].colour, rgb(3, 3, 3));
        EXPECT_EQ(swatches[2].colour, rgb(1, 1, 1));
        EXPECT_EQ(canvas.count(Kind::Line), 0u) << "no line samples beside the bands";
        expectInside(canvas);
        EXPECT_EQ(legendPixelHeight(legend, canvas), legendPixelHeight(renderedLegend(3), canvas));
        EXPECT_EQ(fillReport(legend), "fill: band 95 to 100 area 12.5\n"
                                      "fill: band 100 to 105.25 area 30\n"
                                      "fill: band 105.25 to 110 area 7.5\n"
                                      "fill: map area 50\n");
    }
    EXPECT_EQ(fillReport(renderedLegend(3)), "");
}

} // namespace
} // namespace tervane
