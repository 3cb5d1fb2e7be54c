#include "ui/PixelLines.h"
#include "ui/QtTestApp.h"

#include <QPainter>

#include <cmath>
#include <functional>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace tervane {
namespace {

struct Segment {
    double x1, y1, x2, y2;
};

// The first pixel where two images differ, or "" when they are the same.
std::string firstDifference(const QImage& a, const QImage& b)
{
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    }
    return "";
}

// Written pixels must be exactly the painter's: each case draws many lines
// of one kind with the canvas's one pixel pen and with PixelLines, and the
// two images must match pixel for pixel.
TEST(PixelLines, SetsExactlyThePixelsThePainterSets)
{
    test::ensureQtApp();
    constexpr int kWidth = 631, kHeight = 497;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> column(-40, kWidth + 40), row(-40, kHeight + 40), nudge(-4, 4);
    std::uniform_real_distribution<double> anyX(-400, kWidth + 400), anyY(-400, kHeight + 400), share(0, 1);
    const auto centre = [](int pixel) { return pixel + 0.5; };
    const struct {
        const char* name;
        std::function<Segment()> make;
    } cases[] = {
        {"short lines between pixel centres, as curves give them",
         [&] {
             const double x = centre(column(random)), y = centre(row(random));
             return Segment{x, y, x + nudge(random), y + nudge(random)};
         }},
        {"long lines between pixel centres, as a network gives them",
         [&] { return Segment{centre(column(random)), centre(row(random)), centre(column(random)), centre(row(random))}; }},
        {"lines reaching far past every edge",
         [&] { return Segment{anyX(random), anyY(random), anyX(random), anyY(random)}; }},
        {"short lines anywhere within a pixel",
         [&] {
             const double x = anyX(random), y = anyY(random);
             return Segment{x, y, x + nudge(random) * share(random), y + nudge(random) * share(random)};
         }},
        {"level and plumb lines",
         [&] {
             const double x = centre(column(random)), y = centre(row(random));
             return random() % 2 ? Segment{x, y, centre(column(random)), y} : Segment{x, y, x, centre(row(random))};
         }},
    };
    QPen pen(QColor(20, 40, 60));
    pen.setWidth(1);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::RoundJoin);
    for (const auto& c : cases) {
        for (int image = 0; image < 40; ++image) {
            QImage painted(kWidth, kHeight, QImage::Format_RGB32), written(kWidth, kHeight, QImage::Format_RGB32);
            painted.fill(Qt::white);
            written.fill(Qt::white);
            PixelLines lines(written, pen.color().rgb());
            QPainter painter(&painted);
            painter.setPen(pen);
            for (int i = 0; i < 100; ++i) {
                const Segment s = c.make();
                if (s.x1 == s.x2 && s.y1 == s.y2) {
                    painter.drawPoint(QPointF(s.x1, s.y1));
                    lines.point(s.x1, s.y1);
                } else {
                    painter.drawLine(QPointF(s.x1, s.y1), QPointF(s.x2, s.y2));
                    lines.line(s.x1, s.y1, s.x2, s.y2);
                }
            }
            painter.end();
            ASSERT_EQ(firstDifference(painted, written), "") << c.name << ", image " << image;
        }
    }
}

// A point lands where the painter puts it, which for a pixel's centre is
// the pixel below and to the right, and nothing is written outside.
TEST(PixelLines, PointsAndLinesOutsideTheImageWriteNothingThere)
{
    test::ensureQtApp();
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::white);
    PixelLines lines(image, qRgb(0, 0, 0));
    lines.point(2.5, 3.5);
    EXPECT_EQ(image.pixel(3, 4), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(2, 3), qRgb(255, 255, 255));
    QImage before = image;
    lines.point(100.5, 2.5);
    lines.point(-3.5, 2.5);
    lines.line(-50, -50, -10, 5);
    lines.line(20, 1, 40, 5);
    EXPECT_EQ(image, before);
}

} // namespace
} // namespace tervane
