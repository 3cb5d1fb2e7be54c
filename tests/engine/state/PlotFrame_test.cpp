#include "engine/state/PlotFrame.h"

#include "support/FakeMainView.h"
#include "engine/base/NullCanvas.h"
#include "engine/base/RecordingCanvas.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;

class PlotFrameTest : public ::testing::Test {
protected:
    void setExtents(double xMin, double xMax, double yMin, double yMax)
    {
        state.xMin = xMin;
        state.xMax = xMax;
        state.yMin = yMin;
        state.yMax = yMax;
        state.plotScale = computePlotScale(xMin, xMax, yMin, yMax).value_or(1.0);
    }

    std::vector<RecordingCanvas::Op> textsAt(bool bottom) const
    {
        std::vector<RecordingCanvas::Op> found;
        for (const auto& op : view.picture1.opsOf(Kind::Text))
            if (bottom ? op.y1 == -230 : op.x1 == -490)
                found.push_back(op);
        return found;
    }

    SharedState state;
    PanelSettings panel;
    test::FakeMainView view;
    ScriptedPrompter prompter;
    NoEscapeKey escape;
    Random random{1};
    RunContext ctx{state, panel, view, prompter, escape, random};
};

TEST(PlotScaleTest, FitsTheDataWithTheFixedMarginsAndRefusesDegenerateExtents)
{
    // 8264 / 100 across against 6710 / 50 down: the width decides.
    EXPECT_DOUBLE_EQ(*computePlotScale(0, 100, 0, 50), 82.64);
    EXPECT_DOUBLE_EQ(*computePlotScale(0, 10, 0, 50), 6710.0 / 50);
    EXPECT_DOUBLE_EQ(*computePlotScale(4500000, 4500010, 0, 10, 2200, 1700), 100.0);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(computePlotScale(5, 5, 0, 10));
    EXPECT_FALSE(computePlotScale(0, 10, 3, 3));
    EXPECT_FALSE(computePlotScale(10, 0, 0, 10));
    EXPECT_FALSE(computePlotScale(0, nan, 0, 10));
    EXPECT_FALSE(computePlotScale(0, 10, -inf, 10));
    // An area no larger than its margins leaves nothing to draw in.
    EXPECT_FALSE(computePlotScale(0, 10, 0, 10, 1200, 700));
}

TEST(DrawingFrameTest, PutsTheOriginInsideTheRulerMarginsOrAtThePictureCorner)
{
    // The area is 497 pixels high, three rows more than the frame's 7410
    // units: the rows are margin below, and the frame keeps 15 units a row.
    RecordingCanvas canvas(kDrawingWidth, kDrawingAreaHeight);
    EXPECT_EQ(canvas.pixelHeight(), 497);
    setDrawingFrame(canvas, false);
    EXPECT_EQ(canvas.scaleLeft(), -400);
    EXPECT_EQ(canvas.scaleTop(), 7010);
    EXPECT_EQ(canvas.scaleLeft() + canvas.scaleWidth(), 9064);
    EXPECT_EQ(canvas.scaleTop() + canvas.scaleHeight(), -445);
    EXPECT_DOUBLE_EQ(canvas.toPixelY(-400), 494.0);

    setDrawingFrame(canvas, true);
    EXPECT_EQ(canvas.scaleLeft(), 0);
    EXPECT_EQ(canvas.scaleTop(), 7410);
    EXPECT_EQ(canvas.scaleLeft() + canvas.scaleWidth(), 9464);
    EXPECT_EQ(canvas.scaleTop() + canvas.scaleHeight(), -45);
    EXPECT_DOUBLE_EQ(canvas.toPixelY(0), 494.0);
    EXPECT_DOUBLE_EQ(canvas.toPixelY(7410), 0.0);
}

TEST_F(PlotFrameTest, ClearsBothStripsInTheBackgroundColourBeforeDrawing)
{
    setExtents(0, 100, 0, 50);
    panel.beijing = rgb(1, 2, 3);
    panel.chadian = rgb(200, 100, 50);
    drawPlotFrame(ctx);

    const auto& ops = view.picture1.ops;
    ASSERT_GE(ops.size(), 2u);
    const double w = view.picture1.width();
    const double h = view.picture1.height();
    EXPECT_EQ(ops[0].kind, Kind::FilledBox);
    EXPECT_EQ(ops[0].colour, panel.beijing);
    EXPECT_EQ(std::vector<double>({ops[0].x1, ops[0].y1, ops[0].x2, ops[0].y2}),
              std::vector<double>({-500, -500, -220, h}));
    EXPECT_EQ(ops[1].kind, Kind::FilledBox);
    EXPECT_EQ(ops[1].colour, panel.beijing);
    EXPECT_EQ(std::vector<double>({ops[1].x1, ops[1].y1, ops[1].x2, ops[1].y2}),
              std::vector<double>({-500, -200, w, -500}));
    for (std::size_t i = 2; i < ops.size(); ++i) {
        EXPECT_NE(ops[i].kind, Kind::FilledBox);
        if (ops[i].kind == Kind::Line) {
            EXPECT_EQ(ops[i].colour, panel.chadian);
        }
    }
    EXPECT_EQ(view.picture1.foreColour(), panel.chadian);
}

// A point on the lower edge prints its label below itself, into the margin
// above the bottom ruler; the fill of a build or a Draw must reach it.
TEST(PlotAreaFillTest, CoversTheLabelsOfEdgePointsButNotTheRulers)
{
    RecordingCanvas canvas(kDrawingWidth, kDrawingHeight);
    setDrawingFrame(canvas, false);
    fillPlotArea(canvas, rgb(1, 2, 3));
    const auto fill = canvas.last(Kind::FilledBox);
    const double labelBottom = 0 + canvas.textHeight();  // text runs down from the point
    const double circleLeft = 0 - 8;
    EXPECT_LE(std::min(fill.y1, fill.y2), labelBottom);
    EXPECT_LE(std::min(fill.x1, fill.x2), circleLeft);
    EXPECT_GE(std::min(fill.y1, fill.y2), -200) << "the bottom ruler's strip is the frame's own";
    EXPECT_GE(std::min(fill.x1, fill.x2), -220) << "so is the left one";
    EXPECT_GE(std::max(fill.x1, fill.x2), canvas.width());
    EXPECT_EQ(fill.colour, rgb(1, 2, 3));
}

TEST_F(PlotFrameTest, LabelsOneRulerUnitPerTenthOfTheLargerRange)
{
    setExtents(0, 100, 0, 50);
    drawPlotFrame(ctx);
    const double unit = 10 * state.plotScale;  // s = 10 survey units

    const auto bottom = textsAt(true);
    const auto left = textsAt(false);
    ASSERT_EQ(bottom.size(), 17u);
    ASSERT_EQ(left.size(), 17u);
    for (int n = 0; n <= 16; ++n) {
        EXPECT_EQ(bottom[n].text, " " + std::to_string(n) + " ");
        EXPECT_EQ(left[n].text, " " + std::to_string(n) + " ");
        EXPECT_NEAR(bottom[n].x1, n * unit, 1e-9);
        EXPECT_NEAR(left[n].y1, n * unit, 1e-9);
    }
    // Label 10 marks the end of the X range, label 5 the end of the Y range.
    EXPECT_NEAR(bottom[10].x1, 100 * state.plotScale, 1e-9);
    EXPECT_NEAR(left[5].y1, 50 * state.plotScale, 1e-9);
}

// A canvas whose font has a narrow blank (a third of a classic system
// font's), as most modern faces do.
class NarrowBlankCanvas final : public NullCanvas {
public:
    NarrowBlankCanvas() : NullCanvas(kDrawingWidth, kDrawingHeight) {}
    std::vector<std::pair<double, std::string>> texts;  // x and text

protected:
    void paintText(double x, double, const std::string& utf8, Colour) override { texts.emplace_back(x, utf8); }
    double textPixelWidth(const std::string& utf8) const override { return 2.0 * static_cast<double>(utf8.size()); }
};

class NarrowBlankView final : public MainView {
public:
    NarrowBlankCanvas picture1;
    RecordingCanvas strip{kDrawingWidth, 240};
    Canvas& drawingArea() override { return picture1; }
    Canvas& progressStrip() override { return strip; }
    Canvas& levelStrip() override { return strip; }
    Canvas& levelDisplay() override { return strip; }
    void setCaption(const std::string&) override {}
    std::string caption() const override { return {}; }
    void setStatus(const std::string&, Colour, Colour) override {}
    std::string status() const override { return {}; }
    void showNotice(const std::string&) override {}
    void openRecordEditor() override {}
};

TEST_F(PlotFrameTest, LeftRulerDigitsStartAtTheEdgeWhateverTheBlanksWidth)
{
    // With a classic blank (90 units) the labels start at -490 (see above);
    // with a narrower one the digits must still not be cut by the edge.
    NarrowBlankView narrow;
    RunContext narrowCtx{state, panel, narrow, prompter, escape, random};
    setDrawingFrame(narrow.picture1, false);
    setExtents(0, 100, 0, 50);
    drawPlotFrame(narrowCtx);
    const double blank = narrow.picture1.textWidth(" ");
    ASSERT_LT(blank, 90);
    int left = 0;
    for (const auto& [x, text] : narrow.picture1.texts) {
        if (x < -220) {
            ++left;
            EXPECT_NEAR(x + blank, -400, 1e-9) << text;
        }
    }
    EXPECT_EQ(left, 17);
}

TEST_F(PlotFrameTest, DrawsMajorTicksAndNineMinorTicksPerUnitOnEachRuler)
{
    setExtents(-20, 0, 10, 70);  // the Y range is larger: s = 6
    drawPlotFrame(ctx);
    const double unit = 6 * state.plotScale;

    int bottomMajor = 0, bottomMinor = 0, leftMajor = 0, leftMinor = 0;
    for (const auto& op : view.picture1.opsOf(Kind::Line)) {
        if (op.y1 == -200 && op.y2 == -400 && op.x1 == op.x2)
            ++bottomMajor;
        if (op.y1 == -200 && op.y2 == -250 && op.x1 == op.x2) {
            ++bottomMinor;
            const double inUnit = std::fmod(op.x1, unit);
            EXPECT_GT(inUnit, unit / 20);  // never on a major tick
        }
        if (op.x1 == -200 && op.x2 == -350 && op.y1 == op.y2)
            ++leftMajor;
        if (op.x1 == -200 && op.x2 == -250 && op.y1 == op.y2)
            ++leftMinor;
    }
    EXPECT_EQ(bottomMajor, 17);
    EXPECT_EQ(leftMajor, 17);
    EXPECT_EQ(bottomMinor, 16 * 9);
    EXPECT_EQ(leftMinor, 16 * 9);

    // The baseline runs unbroken from the origin to label 16.
    double reach = 0;
    for (const auto& op : view.picture1.opsOf(Kind::Line))
        if (op.y1 == -200 && op.y2 == -200) {
            EXPECT_NEAR(op.x1, reach, 1e-9);
            reach = op.x2;
        }
    EXPECT_NEAR(reach, 16 * unit, 1e-9);
}

TEST_F(PlotFrameTest, LeavesTheLineStyleOfTheLineTypeBox)
{
    setExtents(0, 10, 0, 10);
    const std::vector<std::pair<std::string, int>> cases{
        {"3", kDashDot}, {" 4abc", kDashDotDot}, {"2.5", kDot}, {"5.5", kInsideSolid},
        {"7", kSolid}, {"-1", kSolid}, {"", kSolid}};
    for (const auto& [text, style] : cases) {
        view.picture1.setDrawStyle(kDash);
        panel.lineTypeText = text;
        drawPlotFrame(ctx);
        EXPECT_EQ(view.picture1.drawStyle(), style) << '"' << text << '"';
    }
}

TEST_F(PlotFrameTest, DegenerateScaleOrRangeDrawsOnlyFiniteCoordinates)
{
    for (double scale : {0.0, std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity()}) {
        view.picture1.forget();
        state.xMin = state.xMax = 7;
        state.yMin = state.yMax = 7;
        state.plotScale = scale;
        drawPlotFrame(ctx);
        for (const auto& op : view.picture1.ops) {
            EXPECT_TRUE(std::isfinite(op.x1) && std::isfinite(op.y1));
            EXPECT_TRUE(std::isfinite(op.x2) && std::isfinite(op.y2));
            if (op.kind == Kind::Line) {
                EXPECT_FALSE(op.y2 == -250 || op.x2 == -250) << "minor tick with no ruler unit";
            }
        }
        EXPECT_EQ(textsAt(true).size(), 17u);
    }
}

TEST(CursorReadoutTest, ShowsSurveyCoordinatesCutToThousandths)
{
    SharedState state;
    state.xMin = 12.5;
    state.yMin = 300;
    state.plotScale = 4;
    EXPECT_FALSE(cursorReadout(state, 0, 0)) << "no file open: the box is left alone";

    state.fileOpen = 1;
    EXPECT_EQ(cursorReadout(state, 0, 0), " X= 12.5  Y= 300");
    EXPECT_EQ(cursorReadout(state, 4 * 0.123456, 4 * 1.9999), " X= 12.623  Y= 301.999");

    state.xMin = 0;
    state.yMin = 0;
    EXPECT_EQ(cursorReadout(state, 2, 0), " X= .5  Y= 0");
    // Negative coordinates with more than three decimals read one thousandth
    // lower: Int rounds toward minus infinity.
    EXPECT_EQ(cursorReadout(state, -4 * 1.23456, -4 * 0.0001), " X= -1.235  Y= -.001");
    EXPECT_EQ(cursorReadout(state, -4 * 0.0000001, 0), " X= -.001  Y= 0");
    state.xMin = -0.0;
    EXPECT_EQ(cursorReadout(state, -0.0, 0), " X= 0  Y= 0") << "no negative zero";
}

TEST(CursorReadoutTest, ShowsWholeDrawingUnitsOnABackgroundPicture)
{
    SharedState state;
    state.fileOpen = 1;
    state.pictureInserted = 1;
    state.xMin = 1000;
    state.plotScale = 1;
    EXPECT_EQ(cursorReadout(state, 123.9, 45.2), " X=  123  Y=  45");
    EXPECT_EQ(cursorReadout(state, -3.7, 0.4), " X= -3  Y=  0");
}

TEST(CursorReadoutTest, GivesNothingForAnUnusableScale)
{
    SharedState state;
    state.fileOpen = 1;
    state.plotScale = 0;
    EXPECT_FALSE(cursorReadout(state, 10, 10));
}

} // namespace
} // namespace tervane
