#include "engine/contour/PointLabels.h"
#include "engine/network/PointMarks.h"
#include "support/RunFixture.h"

#include <tuple>

#include <gtest/gtest.h>

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;

TEST(PointValueText, TruncatesTowardMinusInfinity)
{
    EXPECT_EQ(pointValueText(12.349, 100), " 12.34 ");
    EXPECT_EQ(pointValueText(-1.234, 100), "-1.24 ");
    EXPECT_EQ(pointValueText(7.99, 1), " 7 ");
    EXPECT_EQ(pointValueText(0.5, 1000), " .5 ");
}

class PointLabelsTest : public test::RunFixture {
protected:
    ContourNetwork net;

    PointLabelsTest()
    {
        for (int i = 1; i <= 7; ++i) {
            net.addPoint(i, 2 * i, 10 + i + 0.25);
            state.pointNote.push_back("n" + std::to_string(i));
        }
    }
};

TEST_F(PointLabelsTest, AllValuesWithNotesOnARawNetwork)
{
    drawPointLabels(ctx, net);
    const auto texts = view.picture1.texts();
    ASSERT_EQ(texts.size(), 14u);
    EXPECT_EQ(texts[0], " 11.25  ");
    EXPECT_EQ(texts[1], "n1");
    EXPECT_EQ(view.picture1.count(Kind::Circle), 14u);
    const auto circle = view.picture1.opsOf(Kind::Circle)[0];
    EXPECT_DOUBLE_EQ(circle.x1, 100);
    EXPECT_DOUBLE_EQ(circle.y1, 200);
    EXPECT_DOUBLE_EQ(circle.radius, 8);
    EXPECT_EQ(circle.colour, panel.dian);
    EXPECT_EQ(view.picture1.opsOf(Kind::Text)[0].colour, panel.zhuji);
    // The text's corner is the point itself.
    EXPECT_DOUBLE_EQ(view.picture1.opsOf(Kind::Text)[0].x1, 100);
    EXPECT_EQ(view.picture2.count(Kind::FilledBox), 7u);
}

TEST_F(PointLabelsTest, EverySecondPointInModeTwo)
{
    panel.pointLabelMode = 2;
    drawPointLabels(ctx, net);
    EXPECT_EQ(view.picture1.texts(), (std::vector<std::string>{" 12.25 ", " 14.25 ", " 16.25 "}));
    EXPECT_EQ(view.picture1.count(Kind::Circle), 14u);
}

TEST_F(PointLabelsTest, NotesOnlyShowNothingButCirclesAfterAnOptimizedNetwork)
{
    panel.pointLabelMode = 4;
    state.networkKind = 2;
    drawPointLabels(ctx, net);
    EXPECT_TRUE(view.picture1.texts().empty());
    state.networkKind = 1;
    drawPointLabels(ctx, net);
    EXPECT_EQ(view.picture1.texts().front(), "n1");
}

// The network pass and the Draw pass label the same points; their texts
// must fall exactly on each other, or every note shows twice side by side.
TEST_F(PointLabelsTest, TheNetworkPassPrintsTheSameTextsAtTheSamePlaces)
{
    state.resizePoints(7);
    for (std::size_t i = 1; i <= 7; ++i) {
        state.pointX[i] = net.pointX[i];
        state.pointY[i] = net.pointY[i];
        state.pointZ[i] = net.pointZ[i];
    }
    state.recordCount = 7;
    const auto placed = [this] {
        std::vector<std::tuple<std::string, double, double>> out;
        for (const auto& op : view.picture1.opsOf(Kind::Text))
            out.emplace_back(op.text, op.x1, op.y1);
        view.picture1.forget();
        return out;
    };
    for (int mode : {1, 2, 4}) {
        panel.pointLabelMode = mode;
        markAndLabelPoints(ctx);
        const auto network = placed();
        drawPointLabels(ctx, net);
        EXPECT_EQ(network, placed()) << "mode " << mode;
    }
}

TEST_F(PointLabelsTest, StoredModeZeroBecomesAll)
{
    panel.pointLabelMode = 0;
    drawPointLabels(ctx, net);
    EXPECT_EQ(panel.pointLabelMode, 1);
    EXPECT_EQ(view.picture1.texts().size(), 14u);
}

} // namespace
} // namespace tervane
