#include "ui/QtCanvas.h"
#include "ui/QtTestApp.h"

#include <QTemporaryDir>

#include <functional>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include <cmath>

namespace tervane {
namespace {

constexpr Colour kBlack = rgb(0, 0, 0);
constexpr Colour kWhite = rgb(255, 255, 255);
constexpr Colour kRed = rgb(255, 0, 0);
constexpr Colour kBlue = rgb(0, 0, 255);

Colour pixelAt(const QtCanvas& canvas, int column, int row)
{
    return fromQColor(canvas.image().pixelColor(column, row));
}

// Pixels of one row between two columns (inclusive) that have the colour.
int countInRow(const QtCanvas& canvas, int row, int from, int to, Colour c)
{
    int n = 0;
    for (int col = from; col <= to; ++col)
        n += pixelAt(canvas, col, row) == c ? 1 : 0;
    return n;
}

class QtCanvasTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureQtApp(); }

    // The main drawing area with its upward-Y frame: 631 x 494 pixels.
    QtCanvas area{9464, 7410};
    void useDrawingFrame() { area.setScale(-400, 7010, 9064, -400); }
};

TEST_F(QtCanvasTest, ImageHasTheNaturalPixelSize)
{
    EXPECT_EQ(area.image().width(), 631);
    EXPECT_EQ(area.image().height(), 494);
    QtCanvas doubled(9464, 7410, 2.0);
    EXPECT_EQ(doubled.image().width(), 1262);
    EXPECT_EQ(doubled.image().height(), 988);
}

TEST_F(QtCanvasTest, UserOriginOfTheUpwardFrameLandsNearTheBottomLeft)
{
    area.setBackColour(kBlack);
    useDrawingFrame();
    area.dot(0, 0, kRed);
    // 400 / 9464 x 631 = 26.67 across, 7010 / 7410 x 494 = 467.33 down.
    EXPECT_EQ(pixelAt(area, 26, 467), kRed);
    for (const auto& [dc, dr] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}})
        EXPECT_EQ(pixelAt(area, 26 + dc, 467 + dr), kBlack) << dc << "," << dr;

    // Larger Y is higher up on the screen.
    area.dot(0, 1000, kBlue);
    int row = -1;
    for (int r = 0; r < 494; ++r) {
        if (pixelAt(area, 26, r) == kBlue)
            row = r;
    }
    EXPECT_EQ(row, 400);  // (7010 - 1000) / 7410 x 494 = 400.67
}

TEST_F(QtCanvasTest, DotAtDoubleRatioCoversTwoByTwoPhysicalPixels)
{
    QtCanvas doubled(9464, 7410, 2.0);
    doubled.setBackColour(kBlack);
    doubled.setScale(-400, 7010, 9064, -400);
    doubled.dot(0, 0, kRed);
    int red = 0;
    for (int y = 0; y < doubled.image().height(); ++y)
        for (int x = 0; x < doubled.image().width(); ++x)
            red += fromQColor(doubled.image().pixelColor(x, y)) == kRed ? 1 : 0;
    EXPECT_EQ(red, 4);
    EXPECT_EQ(fromQColor(doubled.image().pixelColor(52, 934)), kRed);
    EXPECT_EQ(fromQColor(doubled.image().pixelColor(53, 935)), kRed);
}

TEST_F(QtCanvasTest, FilledBoxCoversItsCornersInItsColour)
{
    area.setBackColour(kWhite);
    const Colour green = rgb(10, 200, 30);
    // Twips from the top-left: columns 100..200, rows 50..150.
    area.filledBox(1500, 750, 3000, 2250, green);
    EXPECT_EQ(pixelAt(area, 150, 100), green);
    EXPECT_EQ(pixelAt(area, 100, 50), green);
    EXPECT_EQ(pixelAt(area, 200, 150), green);
    EXPECT_EQ(pixelAt(area, 99, 100), kWhite);
    EXPECT_EQ(pixelAt(area, 201, 100), kWhite);
    EXPECT_EQ(pixelAt(area, 150, 49), kWhite);
    EXPECT_EQ(pixelAt(area, 150, 151), kWhite);
}

TEST_F(QtCanvasTest, OutlineBoxLeavesItsInsideAlone)
{
    area.setBackColour(kWhite);
    area.box(1500, 750, 3000, 2250, kRed);
    EXPECT_EQ(pixelAt(area, 100, 100), kRed);
    EXPECT_EQ(pixelAt(area, 150, 150), kRed);
    EXPECT_EQ(pixelAt(area, 150, 100), kWhite);
}

TEST_F(QtCanvasTest, OnlyOnePixelLinesAreDashed)
{
    area.setBackColour(kWhite);
    area.setDrawStyle(kDash);
    area.line(1500, 1500, 7500, 1500, kBlack);  // row 100, columns 100..500
    const int drawn = countInRow(area, 100, 100, 500, kBlack);
    EXPECT_GT(drawn, 200);
    EXPECT_LT(drawn, 380) << "a dashed line needs gaps";

    area.setDrawWidth(3);
    area.line(1500, 3000, 7500, 3000, kBlack);  // row 200
    EXPECT_EQ(countInRow(area, 200, 100, 500, kBlack), 401);
    EXPECT_EQ(countInRow(area, 199, 100, 500, kBlack), 401) << "three pixels wide";
    EXPECT_EQ(countInRow(area, 201, 100, 500, kBlack), 401);
}

TEST_F(QtCanvasTest, EveryDashStyleShowsGapsAndInsideSolidIsSolid)
{
    area.setBackColour(kWhite);
    for (int style : {kDash, kDot, kDashDot, kDashDotDot}) {
        area.clear();
        area.setDrawStyle(style);
        area.line(1500, 1500, 7500, 1500, kBlack);
        const int drawn = countInRow(area, 100, 100, 500, kBlack);
        EXPECT_GT(drawn, 100) << "style " << style;
        EXPECT_LT(drawn, 380) << "style " << style;
    }
    area.clear();
    area.setDrawStyle(kInsideSolid);
    area.line(1500, 1500, 7500, 1500, kBlack);
    EXPECT_EQ(countInRow(area, 100, 100, 500, kBlack), 401);
}

TEST_F(QtCanvasTest, DashesRunOnAcrossAChainOfShortLines)
{
    // A traced curve arrives as many one-pixel steps; it must still read dashed.
    area.setBackColour(kWhite);
    area.setDrawStyle(kDash);
    area.setCurrent(1500, 1500);
    for (int col = 101; col <= 500; ++col)
        area.lineTo(col * 15.0, 1500, kBlack);
    const int drawn = countInRow(area, 100, 100, 500, kBlack);
    EXPECT_GT(drawn, 200);
    EXPECT_LT(drawn, 380);
}

TEST_F(QtCanvasTest, InvisibleStyleDrawsNoLineNorOutline)
{
    area.setBackColour(kWhite);
    const QImage before = area.image().copy();
    area.setDrawStyle(kInvisible);
    area.line(0, 0, 9000, 7000, kBlack);
    area.box(1500, 750, 3000, 2250, kBlack);
    area.circle(4000, 4000, 500, kBlack);
    EXPECT_EQ(area.image(), before);
    // Filled shapes and dots do not use the pen style.
    area.filledBox(1500, 750, 3000, 2250, kBlack);
    EXPECT_EQ(pixelAt(area, 150, 100), kBlack);
}

TEST_F(QtCanvasTest, CircleRadiusIsInHorizontalUnits)
{
    area.setBackColour(kWhite);
    // 200 units across 631 pixels, 100 units down 494 pixels: a radius of
    // 20 units is 63 pixels in both directions, so the circle stays round.
    area.setScale(0, 100, 200, 0);
    area.disc(100, 50, 20, kRed);
    const int cc = static_cast<int>(area.toPixelX(100));
    const int cr = static_cast<int>(area.toPixelY(50));
    EXPECT_EQ(pixelAt(area, cc + 60, cr), kRed);
    EXPECT_EQ(pixelAt(area, cc, cr + 60), kRed);
    EXPECT_EQ(pixelAt(area, cc, cr - 60), kRed);
    EXPECT_EQ(pixelAt(area, cc + 67, cr), kWhite);
    EXPECT_EQ(pixelAt(area, cc, cr + 67), kWhite);

    area.clear();
    area.circle(100, 50, 20, kRed);
    EXPECT_EQ(pixelAt(area, cc, cr), kWhite) << "an outline circle is hollow";
}

TEST_F(QtCanvasTest, TinyCircleStillMarksThePoint)
{
    area.setBackColour(kBlack);
    useDrawingFrame();
    area.circle(0, 0, 8, kRed);  // half a pixel
    int red = 0;
    for (int r = 460; r < 475; ++r)
        red += countInRow(area, r, 20, 35, kRed);
    EXPECT_GT(red, 0);
}

TEST_F(QtCanvasTest, TextHangsDownRightFromItsPosition)
{
    area.setBackColour(kWhite);
    area.setForeColour(kBlack);
    area.setCurrent(1500, 1500);  // column 100, row 100
    area.print("高程 12.5");
    const double width = area.textWidth("高程 12.5");
    EXPECT_NEAR(area.currentX(), 1500 + width, 1e-9);
    EXPECT_GT(width / 15, 30.0);
    const int height = static_cast<int>(area.textHeight() / 15);
    EXPECT_GE(height, 10);
    // Glyphs are smoothed, so count every pixel the text touched.
    const int textEnd = 100 + static_cast<int>(width / 15);
    int above = 0;
    int inside = 0;
    for (int r = 80; r < 100; ++r)
        above += 106 - countInRow(area, r, 95, 200, kWhite);
    for (int r = 100; r < 100 + height; ++r)
        inside += textEnd + 1 - 100 - countInRow(area, r, 100, textEnd, kWhite);
    EXPECT_EQ(above, 0);
    EXPECT_GT(inside, 20);
}

TEST_F(QtCanvasTest, ClearKeepsTheBackgroundPictureAtItsOwnSize)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString path = dir.filePath(QStringLiteral("map.bmp"));
    ASSERT_TRUE(picture.save(path, "BMP"));

    area.setBackColour(kBlue);
    ASSERT_TRUE(area.loadPicture(path.toStdString()));
    EXPECT_TRUE(area.hasPicture());
    area.line(0, 150, 9000, 150, kBlack);  // across the picture, row 10
    EXPECT_EQ(pixelAt(area, 5, 10), kBlack);

    area.clear();
    EXPECT_EQ(pixelAt(area, 5, 10), kRed);
    EXPECT_EQ(pixelAt(area, 39, 19), kRed);
    EXPECT_EQ(pixelAt(area, 40, 10), kBlue) << "the picture is not stretched";
    EXPECT_EQ(pixelAt(area, 100, 10), kBlue);

    area.clearPicture();
    area.clear();
    EXPECT_FALSE(area.hasPicture());
    EXPECT_EQ(pixelAt(area, 5, 10), kBlue);
}

TEST_F(QtCanvasTest, PictureThatCannotBeReadChangesNothing)
{
    area.setBackColour(kBlue);
    EXPECT_FALSE(area.loadPicture("/nonexistent/picture.jpg"));
    EXPECT_FALSE(area.hasPicture());
    EXPECT_EQ(pixelAt(area, 5, 5), kBlue);
}

TEST_F(QtCanvasTest, SavesPngAndBmpAtNaturalSize)
{
    QTemporaryDir dir;
    area.setBackColour(kBlack);
    area.filledBox(1500, 750, 3000, 2250, kRed);
    for (const char* format : {"PNG", "BMP"}) {
        const QString path = dir.filePath(QStringLiteral("area.") + QString::fromLatin1(format).toLower());
        ASSERT_TRUE(area.save(path, format)) << format;
        QImage back(path);
        EXPECT_EQ(back.size(), QSize(631, 494)) << format;
        EXPECT_EQ(fromQColor(back.pixelColor(150, 100)), kRed) << format;
    }
    EXPECT_FALSE(area.save(dir.filePath(QStringLiteral("missing/area.png")), "PNG"));
}

TEST_F(QtCanvasTest, ChangesAreAnnounced)
{
    int changes = 0;
    area.setChangedCallback([&] { ++changes; });
    area.line(0, 0, 100, 100);
    area.clear();
    EXPECT_EQ(changes, 2);
}

// Every kind of primitive, with pens and brushes that must not carry over
// from one to the next: a filled circle before an outline, a wide dot
// before a thin line, dashes, text, and a progress strip growing by parts
// of a pixel with a line across it.
void paintMixture(QtCanvas& c, const std::function<void()>& between)
{
    c.setScale(0, 0, 631, 494);
    const auto step = [&](const std::function<void()>& paint) {
        paint();
        between();
    };
    step([&] { c.disc(100, 100, 30, kRed); });
    step([&] { c.circle(100, 100, 40, kBlue); });
    step([&] { c.setDrawWidth(5); });
    step([&] { c.dot(200, 50, kBlue); });
    step([&] { c.setDrawWidth(1); });
    step([&] { c.setDrawStyle(kDashDot); });
    step([&] { c.line(10, 300, 300, 320, kBlack); });
    step([&] { c.lineTo(400, 200, kBlack); });
    step([&] { c.setDrawStyle(kSolid); });
    step([&] { c.setCurrent(300, 400); });
    step([&] { c.print("12.5 注记"); });
    for (int i = 0; i <= 40; ++i) {
        step([&] { c.filledBox(1, 450, 1 + i * 0.7, 480, kRed); });
        if (i == 20)
            step([&] { c.line(10, 440, 10, 490, kBlue); });
    }
}

TEST_F(QtCanvasTest, OneKeptPainterPaintsWhatAPainterPerPrimitivePaints)
{
    QtCanvas kept(9464, 7410);
    paintMixture(kept, [] {});
    QtCanvas ended(9464, 7410);
    paintMixture(ended, [&] { ended.finishPainting(); });
    EXPECT_EQ(kept.image(), ended.image());
    // The line across the strip was painted over by the boxes after it.
    EXPECT_EQ(pixelAt(kept, 10, 465), kRed);
    EXPECT_EQ(pixelAt(kept, 10, 445), kBlue);
    EXPECT_EQ(pixelAt(kept, 10, 485), kBlue);
}

TEST_F(QtCanvasTest, PaintingEndsBeforeTheImageIsShownOrTheEventsRun)
{
    const QImage& image = area.image();
    // A wide line is the painter's (thin solid ones are written directly).
    area.setDrawWidth(3);
    area.line(0, 0, 100, 100, kRed);
    EXPECT_TRUE(image.paintingActive());
    QtCanvas::finishAllPainting();
    EXPECT_FALSE(image.paintingActive());
    area.line(0, 100, 100, 0, kRed);
    EXPECT_FALSE(area.image().paintingActive());
}

TEST_F(QtCanvasTest, APolylinePaintsWhatItsLinesPaint)
{
    useDrawingFrame();
    QtCanvas lines{9464, 7410};
    lines.setScale(-400, 7010, 9064, -400);
    for (int style : {kSolid, kDash}) {
        for (QtCanvas* c : {&area, &lines}) {
            c->setDrawStyle(style);
            c->setDrawWidth(style == kSolid ? 3 : 1);
        }
        const std::vector<CanvasPoint> curve{{0, 0}, {1500, 2200}, {1510, 2200}, {4000, 300}, {6000, 5000}};
        area.polyline(curve, kRed);
        for (std::size_t i = 1; i < curve.size(); ++i)
            lines.line(curve[i - 1].x, curve[i - 1].y, curve[i].x, curve[i].y, kRed);
        EXPECT_EQ(area.image(), lines.image()) << "style " << style;
    }
}

// A one-pixel solid curve sampled finer than the pixels (runs of points on
// one pixel, a point that is no number, a turn back) paints what its
// segments paint one by one.
TEST_F(QtCanvasTest, ADenseThinPolylinePaintsWhatItsLinesPaint)
{
    useDrawingFrame();
    QtCanvas lines{9464, 7410};
    lines.setScale(-400, 7010, 9064, -400);
    std::vector<CanvasPoint> curve;
    for (int i = 0; i < 600; ++i) {
        const double t = i * 0.01;
        curve.push_back({2000 + 1500 * std::cos(t), 3000 + 900 * std::sin(3 * t)});
        if (i == 250)
            curve.push_back({std::nan(""), 0});
    }
    for (int i = 0; i < 40; ++i)
        curve.push_back(curve[curve.size() - 2]);
    for (QtCanvas* c : {&area, &lines}) {
        c->setDrawStyle(kSolid);
        c->setDrawWidth(1);
    }
    area.polyline(curve, kRed);
    for (std::size_t i = 1; i < curve.size(); ++i)
        lines.line(curve[i - 1].x, curve[i - 1].y, curve[i].x, curve[i].y, kRed);
    EXPECT_EQ(area.image(), lines.image());
}

TEST_F(QtCanvasTest, FilledRingsLeaveTheirHolesAndOutsideAlone)
{
    // A 100-pixel square with a 40-pixel hole, on the twips frame.
    const std::vector<std::vector<CanvasPoint>> rings{
        {{1500, 1500}, {3000, 1500}, {3000, 3000}, {1500, 3000}},
        {{2000, 2000}, {2600, 2000}, {2600, 2600}, {2000, 2600}}};
    area.fillRings(rings, kBlue);
    EXPECT_EQ(pixelAt(area, 110, 110), kBlue);
    EXPECT_EQ(pixelAt(area, 190, 190), kBlue);
    EXPECT_EQ(pixelAt(area, 150, 150), kWhite);
    EXPECT_EQ(pixelAt(area, 95, 150), kWhite);
    EXPECT_EQ(pixelAt(area, 205, 150), kWhite);
}

// Thin solid lines, points and filled boxes written straight into the image
// must be the painter's own pixels: the same drawing with and without them.
TEST_F(QtCanvasTest, WrittenLinesAndBoxesAreThePaintersPixels)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> x(-700, 10200), y(-700, 8100), step(-40, 40);
    const auto draw = [&](QtCanvas& c, unsigned seed) {
        random.seed(seed);
        c.setScale(-400, 7010, 9064, -400);
        std::vector<CanvasPoint> curve{{x(random), y(random)}};
        for (int i = 0; i < 400; ++i)
            curve.push_back({curve.back().x + step(random), curve.back().y + step(random)});
        c.polyline(curve, kRed);
        c.setDrawStyle(kInsideSolid);
        for (int i = 0; i < 200; ++i)
            c.line(x(random), y(random), x(random), y(random), kBlue);
        c.setDrawStyle(kSolid);
        const std::vector<CanvasPoint> oneSpot{{1000, 1000}};
        c.polyline(oneSpot, kBlack);
        for (int i = 0; i <= 60; ++i)
            c.filledBox(1, 100 + 30 * (i % 3), 1 + 150 * i, 300 + 30 * (i % 3), i % 2 ? kRed : kBlue);
    };
    for (unsigned seed = 1; seed <= 5; ++seed) {
        QtCanvas written(9464, 7410);
        QtCanvas painted(9464, 7410);
        painted.setPixelStamps(false);
        draw(written, seed);
        draw(painted, seed);
        EXPECT_EQ(written.image(), painted.image()) << "seed " << seed;
    }
}

// A canvas that holds its painting gives the same image, with every kind
// of primitive, pen and scale, when it is looked at; a clear drops what is
// held, and the canvas paints as it goes from then on.
TEST_F(QtCanvasTest, HeldPaintingPaintsWhatImmediatePaintingPaints)
{
    const auto draw = [](QtCanvas& c) {
        paintMixture(c, [] {});
        c.setScale(-400, 7010, 9064, -400);
        c.setDrawStyle(kDash);
        const std::vector<CanvasPoint> curve{{0, 0}, {1500, 2200}, {1510, 2200}, {4000, 300}};
        c.polyline(curve, kBlue);
        c.setDrawStyle(kSolid);
        c.printTurned(3000, 3000, 0.7, "105.5");
        const std::vector<FilledBox> boxes{{100, 100, 900, 600, kRed}, {500, 500, 1200, 1400, kBlue}};
        c.filledBoxes(boxes);
        const std::vector<std::vector<CanvasPoint>> rings{{{5000, 5000}, {7000, 5000}, {6000, 6500}}};
        c.fillRings(rings, kBlack);
    };
    QtCanvas immediate(9464, 7410);
    QtCanvas held(9464, 7410);
    held.holdPaintingUntilCleared();
    draw(immediate);
    draw(held);
    EXPECT_EQ(held.image(), immediate.image());

    // Held again, then wiped: only what follows the clear shows.
    QtCanvas wiped(9464, 7410);
    wiped.holdPaintingUntilCleared();
    draw(wiped);
    for (QtCanvas* c : {&immediate, &wiped}) {
        c->clear();
        c->resetScale();
        c->line(100, 100, 5000, 3000, kRed);
        c->circle(2000, 2000, 300, kBlue);
    }
    EXPECT_EQ(wiped.image(), immediate.image());
    // The disc drawn before the clear is gone.
    EXPECT_EQ(pixelAt(wiped, 100, 100), kWhite);
}

} // namespace
} // namespace tervane
