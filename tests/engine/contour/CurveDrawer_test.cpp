#include "engine/contour/CurveDrawer.h"
#include "support/RunFixture.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;

// The two-crossing open curve: crossing, midpoint, crossing, repeat.
TracedCurve openCurve()
{
    TracedCurve c;
    c.control = {{1, 0}, {0.5, 0.5}, {0, 1}, {0, 1}};
    c.controlLast = 3;
    return c;
}

// A square ring of eight controls with the dropped closing point kept.
TracedCurve closedCurve()
{
    TracedCurve c;
    c.control = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}, {0, 0}};
    c.controlLast = 7;
    c.closed = true;
    return c;
}

class CurveDrawerTest : public test::RunFixture {};

TEST_F(CurveDrawerTest, SmoothnessZeroDrawsThePolylineThroughTheControls)
{
    panel.smoothValue = 2;
    EXPECT_TRUE(drawCurve(ctx, openCurve(), kOrdinaryContour, 0));
    const auto dot = view.picture1.last(Kind::Dot);
    EXPECT_DOUBLE_EQ(dot.x1, 100);
    EXPECT_DOUBLE_EQ(dot.y1, 0);
    // Samples at u = 0, 1, 2: the last control is the repeat of control 2.
    const auto l = lines();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_DOUBLE_EQ(l[1].x2, 50);
    EXPECT_DOUBLE_EQ(l[1].y2, 50);
    EXPECT_DOUBLE_EQ(l[2].x2, 0);
    EXPECT_DOUBLE_EQ(l[2].y2, 100);
    for (const auto& op : l) {
        EXPECT_EQ(op.colour, panel.quxian);
        EXPECT_EQ(op.drawWidth, 1);
    }
    // One progress box per sample, then the strip is cleared.
    EXPECT_EQ(view.picture2.count(Kind::FilledBox), 3u);
    EXPECT_EQ(view.picture2.ops.back().kind, Kind::Clear);
}

TEST_F(CurveDrawerTest, CubicOpenCurveStartsAtItsFirstControlAndStopsShortOfTheEnd)
{
    TracedCurve c;
    for (int i = 0; i <= 8; ++i)
        c.control.push_back({static_cast<double>(i), static_cast<double>(i % 2)});
    c.controlLast = 8;
    EXPECT_TRUE(drawCurve(ctx, c, kOrdinaryContour, 0));  // smoothness 2: order 4
    // R = 6, q = 2: samples j = 0, 2, ..., 118.
    const auto l = lines();
    ASSERT_EQ(l.size(), 60u);
    EXPECT_DOUBLE_EQ(view.picture1.last(Kind::Dot).x1, 0);
    EXPECT_LT(l.back().x2, 800);
    EXPECT_GT(l.back().x2, 750);
}

TEST_F(CurveDrawerTest, IndexContoursTakeTheIntervalColourAndRenderedMapsTheLevelColour)
{
    drawCurve(ctx, openCurve(), kIndexContour, rgb(1, 2, 3));
    EXPECT_EQ(lines().back().colour, panel.jiange);
    // Width 4 is still a line map.
    view.picture1.forget();
    panel.lineWidthText = "4";
    drawCurve(ctx, openCurve(), kIndexContour, rgb(1, 2, 3));
    EXPECT_EQ(lines().back().colour, panel.jiange);
    view.picture1.forget();
    panel.lineWidthText = "5";
    drawCurve(ctx, openCurve(), kIndexContour, rgb(1, 2, 3));
    EXPECT_EQ(lines().back().colour, rgb(1, 2, 3));
    EXPECT_EQ(lines().back().drawWidth, 5);
}

TEST_F(CurveDrawerTest, DashesShowOnlyAtWidthOne)
{
    panel.lineTypeText = "2";
    drawCurve(ctx, openCurve(), kOrdinaryContour, 0);
    EXPECT_EQ(lines().back().drawStyle, kDot);
    view.picture1.forget();
    panel.lineWidthText = "3";
    drawCurve(ctx, openCurve(), kOrdinaryContour, 0);
    EXPECT_EQ(lines().back().drawStyle, kSolid);
    EXPECT_EQ(lines().back().drawWidth, 3);
    view.picture1.forget();
    panel.lineTypeText = "6";
    drawCurve(ctx, openCurve(), kOrdinaryContour, 0);
    EXPECT_EQ(lines().back().drawStyle, kInsideSolid);
}

TEST_F(CurveDrawerTest, LineTypeFiveDrawsNothing)
{
    panel.lineTypeText = "5";
    panel.check14 = true;
    EXPECT_TRUE(drawCurve(ctx, closedCurve(), kOrdinaryContour, 0));
    EXPECT_EQ(view.picture1.count(Kind::Line), 0u);
    EXPECT_EQ(view.picture1.count(Kind::Dot), 0u);
    // The run still goes through the samples.
    EXPECT_GT(view.picture2.count(Kind::FilledBox), 0u);
}

TEST_F(CurveDrawerTest, ObservationDrawsTheControlPolygonFirstAtWidthOne)
{
    panel.check14 = true;
    panel.lineWidthText = "3";
    drawCurve(ctx, openCurve(), kOrdinaryContour, 0);
    const auto& ops = view.picture1.ops;
    ASSERT_GE(ops.size(), 3u);
    EXPECT_EQ(ops[0].kind, Kind::Dot);
    EXPECT_EQ(ops[0].colour, panel.wucha);
    // Open: to controls 1 .. n - 1, leaving out the repeated last one.
    EXPECT_EQ(ops[1].kind, Kind::Line);
    EXPECT_EQ(ops[2].kind, Kind::Line);
    EXPECT_EQ(ops[2].colour, panel.wucha);
    EXPECT_EQ(ops[2].drawWidth, 1);
    EXPECT_DOUBLE_EQ(ops[2].x2, 0);
    EXPECT_DOUBLE_EQ(ops[2].y2, 100);
    EXPECT_NE(ops[3].colour, panel.wucha);
}

TEST_F(CurveDrawerTest, ClosedObservationPolygonReturnsToItsStart)
{
    panel.check14 = true;
    drawCurve(ctx, closedCurve(), kOrdinaryContour, 0);
    std::vector<RecordingCanvas::Op> polygon;
    for (const auto& op : lines())
        if (op.colour == panel.wucha)
            polygon.push_back(op);
    ASSERT_EQ(polygon.size(), 8u);  // controls 1 .. n + 1
    EXPECT_DOUBLE_EQ(polygon.back().x2, 0);
    EXPECT_DOUBLE_EQ(polygon.back().y2, 0);
}

TEST_F(CurveDrawerTest, ClosedCurveEndsWithALineBackToItsStart)
{
    drawCurve(ctx, closedCurve(), kOrdinaryContour, 0);
    const auto dot = view.picture1.last(Kind::Dot);
    const auto last = lines().back();
    EXPECT_DOUBLE_EQ(last.x2, dot.x1);
    EXPECT_DOUBLE_EQ(last.y2, dot.y1);
    // R = 8 at order 4: 80 samples and the closing line.
    EXPECT_EQ(lines().size(), 81u);
}

// The sample step grows with the order: 20 twentieths at smoothness 0,
// 1 at 1, 2 at 2 and 3, 3 from 4 up. The ring of eight controls has the
// range 8, so j runs to 159.
TEST_F(CurveDrawerTest, SampleStepFollowsTheOrder)
{
    const std::size_t samples[8] = {8, 160, 80, 80, 54, 54, 54, 54};
    for (int s = 0; s <= 7; ++s) {
        view.picture1.forget();
        panel.smoothValue = s + 2;
        EXPECT_TRUE(drawCurve(ctx, closedCurve(), kOrdinaryContour, 0));
        EXPECT_EQ(lines().size(), samples[s] + 1) << "smoothness " << s;  // and the closing line
    }
}

TEST_F(CurveDrawerTest, ShortOpenCurveAtSmoothnessSevenDrawsOnlyItsStartDot)
{
    panel.smoothValue = 9;
    EXPECT_TRUE(drawCurve(ctx, openCurve(), kOrdinaryContour, 0));
    EXPECT_EQ(view.picture1.count(Kind::Dot), 1u);
    EXPECT_EQ(view.picture1.count(Kind::Line), 0u);
}

TEST_F(CurveDrawerTest, EscCutsTheCurveShortAndSwitchesRecordingOff)
{
    panel.check15 = true;
    escape.reset(3);
    EXPECT_FALSE(drawCurve(ctx, closedCurve(), kOrdinaryContour, 0));
    EXPECT_EQ(lines().size(), 2u);
    EXPECT_EQ(prompter.beeps, 1);
    EXPECT_FALSE(panel.check15);
    EXPECT_EQ(view.picture2.ops.back().kind, Kind::Clear);
    EXPECT_EQ(view.picture4.ops.back().kind, Kind::Clear);
    EXPECT_EQ(view.picture5.ops.back().kind, Kind::Clear);
}

} // namespace
} // namespace tervane
