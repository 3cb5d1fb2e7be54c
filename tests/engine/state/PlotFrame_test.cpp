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

TEST(CoordinateTicksTest, StepsAreTheSmallestOneTwoFiveThatFitAndLabelsCarryTheirDecimals)
{
    struct StepCase {
        double span;
        int maxTicks;
        double step;
    };
    const std::vector<StepCase> steps{
        {10, 10, 1},        {7, 10, 1},          {11, 10, 2},          {20, 10, 2},
        {20.5, 10, 5},      {45, 10, 5},         {100, 10, 10},        {3, 1, 5},
        {1000, 8, 200},     {1500, 10, 200},     {4512300, 10, 500000}, {1183, 10, 200},
        {0.0003, 10, 5e-5}, {1e-7, 5, 2e-8},     {3e-9, 3, 1e-9},       {9.9e12, 10, 1e12}};
    for (const auto& c : steps) {
        const auto step = niceTickStep(c.span, c.maxTicks);
        ASSERT_TRUE(step) << c.span;
        EXPECT_NEAR(*step, c.step, c.step * 1e-9) << c.span << " in " << c.maxTicks;
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& [span, ticks] : std::vector<std::pair<double, int>>{
             {0, 10}, {-5, 10}, {nan, 10}, {inf, 10}, {10, 0}, {10, -3}})
        EXPECT_FALSE(niceTickStep(span, ticks)) << span << " in " << ticks;

    double step = 0.05;
    for (double next : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0}) {
        step = nextTickStep(step);
        EXPECT_NEAR(step, next, next * 1e-12);
    }

    struct TextCase {
        double value;
        double step;
        const char* text;
    };
    const std::vector<TextCase> texts{
        {4512300, 100, "4,512,300"}, {386000, 200, "386,000"},   {-1234567, 1, "-1,234,567"},
        {999, 1, "999"},             {1000, 500, "1,000"},        {-100, 100, "-100"},
        {0, 100, "0"},               {-1e-12, 0.5, "0.0"},       {0.5, 0.5, "0.5"},
        {1234.25, 0.05, "1,234.25"}, {0.00015, 5e-5, "0.00015"}, {4512300.0002, 1e-4, "4,512,300.0002"},
        {2e12, 1e12, "2,000,000,000,000"}};
    for (const auto& c : texts)
        EXPECT_EQ(coordinateText(c.value, c.step), c.text) << c.value << " by " << c.step;
}

// Parses a coordinate label back to its value.
double labelValue(std::string text)
{
    std::erase(text, ',');
    return std::stod(text);
}

class CoordinateFrameTest : public PlotFrameTest {
protected:
    CoordinateFrameTest() { setDrawingFrame(view.picture1, false); }

    // The frame's ops with the ruler colours and extents of the cases.
    std::vector<RecordingCanvas::Op> frameOps()
    {
        view.picture1.forget();
        drawPlotFrame(ctx);
        return view.picture1.ops;
    }

    // One axis's labels, as (position along the axis, value, text length):
    // the bottom ones start right of their tick at the data's edge, the
    // left ones are centred on their middle.
    struct Label {
        double at;
        double value;
        double length;
    };
    std::vector<Label> bottomLabels() const
    {
        std::vector<Label> found;
        // (The left ruler's 0 is printed at the same height, left of -400.)
        for (const auto& op : view.picture1.opsOf(Kind::Text))
            if (op.y1 == 0 && op.x1 > -400)
                found.push_back({op.x1, labelValue(op.text), view.picture1.textWidth(op.text)});
        return found;
    }
    std::vector<Label> leftLabels() const
    {
        std::vector<Label> found;
        for (const auto& op : view.picture1.opsOf(Kind::TurnedText)) {
            const double length = view.picture1.textWidth(op.text);
            found.push_back({op.y1 - length / 2, labelValue(op.text), length});
        }
        return found;
    }

    // Labels on a 1-2-5 step, at their values' places, apart from each
    // other and inside [low, high].
    void expectAxis(const std::vector<Label>& labels, double origin, double low, double high)
    {
        ASSERT_GE(labels.size(), 3u);
        const double pad = view.picture1.textWidth(" ");
        const double step = labels[1].value - labels[0].value;
        const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        const double mantissa = step / power;
        EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                    std::fabs(mantissa - 5) < 1e-6) << step;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const Label& l = labels[i];
            EXPECT_NEAR(std::remainder(l.value, step), 0, step * 1e-6) << l.value;
            EXPECT_NEAR(l.at - pad, (l.value - origin) * state.plotScale, 1e-6 * state.plotScale) << l.value;
            EXPECT_GE(l.at - pad, low) << l.value;
            EXPECT_LE(l.at + l.length, high) << l.value << " runs off the area";
            if (i > 0) {
                EXPECT_NEAR(l.value - labels[i - 1].value, step, step * 1e-6);
                EXPECT_GT(l.at, labels[i - 1].at + labels[i - 1].length) << l.value << " overprints";
            }
        }
    }
};

TEST_F(CoordinateFrameTest, ClassicOrUnwantedOrOnAPictureTheFrameIsTheClassicOne)
{
    setExtents(4512000.88, 4513493.2, 386017.31, 387204.5);
    const auto classic = frameOps();
    EXPECT_EQ(view.picture1.count(Kind::TurnedText), 0u);

    struct Case {
        bool classic;
        bool coordinates;
        int picture;
        bool drawn;
    };
    for (const Case c : {Case{false, false, 0, false}, Case{true, false, 0, false}, Case{false, true, 1, false},
                         Case{false, true, 0, true}}) {
        panel.classic = c.classic;
        panel.coordinates = c.coordinates;
        state.pictureInserted = c.picture;
        const auto ops = frameOps();
        EXPECT_EQ(drawsCoordinates(ctx), c.drawn);
        EXPECT_EQ(!bottomLabels().empty() && !leftLabels().empty(), c.drawn);
        if (!c.drawn) {
            ASSERT_EQ(ops.size(), classic.size());
            for (std::size_t i = 0; i < ops.size(); ++i) {
                EXPECT_EQ(ops[i].kind, classic[i].kind) << i;
                EXPECT_EQ(std::vector<double>({ops[i].x1, ops[i].y1, ops[i].x2, ops[i].y2}),
                          std::vector<double>({classic[i].x1, classic[i].y1, classic[i].x2, classic[i].y2}))
                    << i;
                EXPECT_EQ(ops[i].text, classic[i].text) << i;
            }
        } else {
            // The ruler comes first and whole, the coordinates after it.
            ASSERT_GT(ops.size(), classic.size());
            for (std::size_t i = 0; i < classic.size(); ++i)
                EXPECT_EQ(ops[i].text, classic[i].text) << i;
        }
    }
}

TEST_F(CoordinateFrameTest, LabelsTheDataUnitsApartAndInsideTheAreaAtAnyMagnitude)
{
    panel.classic = false;
    const Canvas& area = view.picture1;
    const double right = area.scaleLeft() + area.scaleWidth();
    const double top = area.scaleTop();
    struct Extents {
        double xMin, xMax, yMin, yMax;
    };
    for (const Extents e : {Extents{4512000.88, 4513493.2, 386017.31, 387204.5}, Extents{0, 1000, 0, 800},
                            Extents{-3.5, 2.25, -1, 1}, Extents{0.0001, 0.0004, 2, 2.0002},
                            Extents{-4512300, -4512290, 7, 70000},
                            // Labels wider than a tenth of the area: the step widens.
                            Extents{-12345678.9, -12345677.4, 0, 1}}) {
        setExtents(e.xMin, e.xMax, e.yMin, e.yMax);
        frameOps();
        SCOPED_TRACE(e.xMin);
        expectAxis(bottomLabels(), e.xMin, -200, right);
        // The left labels keep clear of the bottom ones, which reach up to
        // the data's edge at 0.
        expectAxis(leftLabels(), e.yMin, 0, top);
        // Never on the ruler's numbers: the bottom ones hang from -230, the
        // left ones fill the strip left of -220.
        const double height = std::fabs(area.textHeight());
        for (const auto& op : view.picture1.opsOf(Kind::Text))
            if (op.y1 == 0 && op.x1 > -400)
                EXPECT_GE(op.y1 - height, -230) << op.text;
        for (const auto& op : view.picture1.opsOf(Kind::TurnedText))
            EXPECT_GE(op.x1 - height / 2, -220) << op.text;
    }
}

TEST_F(CoordinateFrameTest, LabelAreaLeavesTheCoordinateBandsFreeOnlyWhenTheyAreDrawn)
{
    setExtents(0, 1000, 0, 800);
    const LabelBox whole = labelArea(view.picture1);
    const auto same = [](const LabelBox& a, const LabelBox& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    EXPECT_TRUE(same(labelArea(ctx), whole)) << "classic";
    panel.classic = false;
    const LabelBox free = labelArea(ctx);
    EXPECT_DOUBLE_EQ(free.left, view.picture1.toPixelX(0));
    EXPECT_DOUBLE_EQ(free.bottom, view.picture1.toPixelY(0));
    EXPECT_EQ(free.top, whole.top);
    EXPECT_EQ(free.right, whole.right);

    // No label placed inside the area can lie under a coordinate the frame
    // writes later.
    frameOps();
    const Canvas& area = view.picture1;
    const double h = std::fabs(area.textHeight());
    std::vector<LabelBox> coordinates;
    for (const auto& op : view.picture1.opsOf(Kind::Text))
        if (op.y1 == 0 && op.x1 > -400)
            coordinates.push_back({area.toPixelX(op.x1), area.toPixelY(op.y1),
                                   area.toPixelX(op.x1 + area.textWidth(op.text)), area.toPixelY(op.y1 - h)});
    for (const auto& op : view.picture1.opsOf(Kind::TurnedText)) {
        const double w = area.textWidth(op.text);
        coordinates.push_back({area.toPixelX(op.x1 - h / 2), area.toPixelY(op.y1 + w / 2),
                               area.toPixelX(op.x1 + h / 2), area.toPixelY(op.y1 - w / 2)});
    }
    ASSERT_GE(coordinates.size(), 6u);
    for (const LabelBox& b : coordinates) {
        EXPECT_FALSE(b.overlaps(free)) << b.left << ", " << b.top;
        EXPECT_TRUE(b.overlaps(whole)) << "the whole area would let a label under it";
    }

    panel.coordinates = false;
    EXPECT_TRUE(same(labelArea(ctx), whole));
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
