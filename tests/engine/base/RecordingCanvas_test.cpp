#include "engine/base/RecordingCanvas.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;

// The main drawing area: 9464 x 7410 twips, 631 x 494 pixels.
class DrawingArea : public ::testing::Test {
protected:
    DrawingArea() { canvas.setScale(-400, 7010, 9064, -400); }
    RecordingCanvas canvas{9464, 7410};
};

TEST_F(DrawingArea, UpwardYScaleMapsCornersToPixels)
{
    EXPECT_EQ(canvas.pixelWidth(), 631);
    EXPECT_EQ(canvas.pixelHeight(), 494);
    EXPECT_DOUBLE_EQ(canvas.toPixelX(-400), 0.0);
    EXPECT_DOUBLE_EQ(canvas.toPixelY(7010), 0.0);
    EXPECT_DOUBLE_EQ(canvas.toPixelX(9064), 631.0);
    EXPECT_DOUBLE_EQ(canvas.toPixelY(-400), 494.0);
    // Y grows upward: a higher point is nearer the top of the image.
    EXPECT_LT(canvas.toPixelY(5000), canvas.toPixelY(1000));
    EXPECT_NEAR(canvas.fromPixelX(canvas.toPixelX(1234.5)), 1234.5, 1e-9);
    EXPECT_NEAR(canvas.fromPixelY(canvas.toPixelY(-12.25)), -12.25, 1e-9);
    EXPECT_DOUBLE_EQ(canvas.toPixelLength(9464), 631.0);
}

TEST_F(DrawingArea, ZeroExtentScaleIsIgnored)
{
    canvas.setScale(0, 0, 0, 100);
    canvas.setScale(0, 5, 100, 5);
    EXPECT_DOUBLE_EQ(canvas.scaleLeft(), -400);
    EXPECT_DOUBLE_EQ(canvas.scaleTop(), 7010);
    EXPECT_DOUBLE_EQ(canvas.scaleWidth(), 9464);
    EXPECT_DOUBLE_EQ(canvas.scaleHeight(), -7410);
    canvas.resetScale();
    EXPECT_DOUBLE_EQ(canvas.scaleTop(), 0);
    EXPECT_DOUBLE_EQ(canvas.scaleHeight(), 7410);
}

TEST_F(DrawingArea, LinesRecordPenAndMoveTheCurrentPosition)
{
    canvas.setForeColour(rgb(0, 0, 255));
    canvas.setDrawWidth(3);
    canvas.setDrawStyle(kDash);
    canvas.line(10, 20, 30, 40);
    canvas.lineTo(50, 60, rgb(255, 0, 0));
    ASSERT_EQ(canvas.count(Kind::Line), 2u);
    const auto& first = canvas.ops[0];
    EXPECT_EQ(first.colour, rgb(0, 0, 255));
    EXPECT_EQ(first.drawWidth, 3);
    EXPECT_EQ(first.drawStyle, kDash);
    const auto& second = canvas.ops[1];
    EXPECT_DOUBLE_EQ(second.x1, 30);
    EXPECT_DOUBLE_EQ(second.y1, 40);
    EXPECT_DOUBLE_EQ(second.x2, 50);
    EXPECT_DOUBLE_EQ(second.y2, 60);
    EXPECT_EQ(second.colour, rgb(255, 0, 0));
    EXPECT_DOUBLE_EQ(canvas.currentX(), 50);
    EXPECT_DOUBLE_EQ(canvas.currentY(), 60);
}

TEST_F(DrawingArea, ShapesKeepTheirKindAndPosition)
{
    canvas.box(1, 2, 3, 4);
    canvas.filledBox(5, 6, 7, 8, rgb(0, 128, 0));
    canvas.circle(100, 200, 8);
    EXPECT_DOUBLE_EQ(canvas.currentX(), 100);
    EXPECT_DOUBLE_EQ(canvas.currentY(), 200);
    canvas.disc(300, 400, 2);
    canvas.dot(7, 9);
    EXPECT_DOUBLE_EQ(canvas.currentX(), 7);
    EXPECT_EQ(canvas.count(Kind::Box), 1u);
    EXPECT_EQ(canvas.last(Kind::FilledBox).colour, rgb(0, 128, 0));
    EXPECT_DOUBLE_EQ(canvas.last(Kind::Circle).radius, 8);
    EXPECT_DOUBLE_EQ(canvas.last(Kind::Disc).x1, 300);
    EXPECT_EQ(canvas.count(Kind::Dot), 1u);
    EXPECT_THROW(canvas.last(Kind::Text), std::out_of_range);
}

TEST_F(DrawingArea, PrintAdvancesPastTheTextOrToTheNextLine)
{
    canvas.setForeColour(rgb(10, 20, 30));
    canvas.setCurrent(100, 500);
    canvas.print("ab");
    const double width = canvas.textWidth("ab");
    EXPECT_GT(width, 0);
    EXPECT_DOUBLE_EQ(canvas.currentX(), 100 + width);
    EXPECT_DOUBLE_EQ(canvas.currentY(), 500);
    canvas.print("cd", true);
    EXPECT_DOUBLE_EQ(canvas.currentX(), -400);
    // The next line is further down, which is lower Y on an upward scale.
    EXPECT_LT(canvas.currentY(), 500);
    ASSERT_EQ(canvas.texts(), (std::vector<std::string>{"ab", "cd"}));
    EXPECT_DOUBLE_EQ(canvas.ops[1].x1, 100 + width);
    EXPECT_EQ(canvas.ops[0].colour, rgb(10, 20, 30));
}

TEST_F(DrawingArea, ClearUsesTheBackColourAndKeepsThePicture)
{
    test::ScratchDir dir;
    test::writeBytes(dir.file("map.bmp"), "BM");
    EXPECT_FALSE(canvas.loadPicture(dir.file("missing.bmp")));
    EXPECT_FALSE(canvas.loadPicture(dir.path()));
    EXPECT_EQ(canvas.count(Kind::Picture), 0u);
    ASSERT_TRUE(canvas.loadPicture(dir.file("map.bmp")));
    EXPECT_EQ(canvas.last(Kind::Picture).text, dir.file("map.bmp"));

    canvas.setBackColour(rgb(0, 0, 128));
    canvas.setCurrent(5, 5);
    canvas.clear();
    ASSERT_EQ(canvas.count(Kind::Clear), 2u);
    EXPECT_EQ(canvas.last(Kind::Clear).colour, rgb(0, 0, 128));
    EXPECT_DOUBLE_EQ(canvas.currentX(), 0);
    EXPECT_TRUE(canvas.hasPicture());
    canvas.clearPicture();
    EXPECT_FALSE(canvas.hasPicture());
}

TEST(Canvas, PenSettersKeepValidValues)
{
    RecordingCanvas canvas(1500, 1500);
    canvas.setDrawWidth(0);
    EXPECT_EQ(canvas.drawWidth(), 1);
    canvas.setDrawStyle(7);
    EXPECT_EQ(canvas.drawStyle(), kSolid);
    canvas.setDrawStyle(kInsideSolid);
    EXPECT_EQ(canvas.drawStyle(), kInsideSolid);
}

TEST(Colour, OneNumberIsRedPlus256GreenPlus65536Blue)
{
    EXPECT_EQ(rgb(255, 0, 0), 255u);
    EXPECT_EQ(rgb(0, 255, 0), 65280u);
    EXPECT_EQ(rgb(0, 0, 255), 16711680u);
    EXPECT_EQ(rgb(1, 2, 3), 1u + 2u * 256u + 3u * 65536u);
    constexpr Colour c = rgb(12, 34, 56);
    EXPECT_EQ(redOf(c), 12);
    EXPECT_EQ(greenOf(c), 34);
    EXPECT_EQ(blueOf(c), 56);
}

} // namespace
} // namespace tervane
