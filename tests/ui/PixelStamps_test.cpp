#include "ui/PixelStamps.h"
#include "ui/QtCanvas.h"
#include "ui/QtTestApp.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tervane {
namespace {

constexpr Colour kPaper = rgb(250, 250, 240);

// The first pixel where two images differ, or "" when they are the same.
std::string firstDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return "sizes differ";
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    }
    return "";
}

// Copied pixels must be exactly what the painter draws: each case draws
// the same primitives on a canvas with stamps and on one without, at many
// positions, including across every edge.
TEST(PixelStamps, CopiesExactlyWhatThePainterDraws)
{
    test::ensureQtApp();
    using Draw = std::function<void(Canvas&, double x, double y)>;
    const auto circle = [](double radius, int width, int style) -> Draw {
        return [=](Canvas& c, double x, double y) {
            c.setDrawWidth(width);
            c.setDrawStyle(style);
            c.circle(x, y, radius, rgb(200, 0, 0));
        };
    };
    const auto disc = [](double radius) -> Draw {
        return [=](Canvas& c, double x, double y) { c.disc(x, y, radius, rgb(0, 0, 180)); };
    };
    const auto text = [](std::string s) -> Draw {
        return [=](Canvas& c, double x, double y) {
            c.setForeColour(rgb(0, 90, 0));
            c.circle(x, y, 0);
            c.print(s);
        };
    };
    const struct {
        const char* name;
        Draw draw;
    } cases[] = {
        {"a network's corner circle", circle(8, 1, kSolid)},
        {"a circle of a few pixels", circle(60, 1, kSolid)},
        {"a circle of a fractional radius", circle(37.3, 1, kSolid)},
        {"a wide outline", circle(45, 3, kSolid)},
        {"a dotted outline", circle(90, 1, kDot)},
        {"a circle too large to keep", circle(600, 1, kSolid)},
        {"a disc", disc(50)},
        {"a point value and its note", text("107.666  P1 ")},
        {"negative values and exponents", text("-0.5 1e-07 +3")},
        {"every printable ASCII character", text(" !\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~")},
        {"pairs a font may kern", text("AV To Wa LT ff fi")},
        {"text mixed with Chinese", text("12.5 基点 BM1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QtCanvas stamped(3000, 2250);  // 200 x 150 pixels
        QtCanvas painted(3000, 2250);
        painted.setPixelStamps(false);
        for (QtCanvas* canvas : {&stamped, &painted}) {
            canvas->setBackColour(kPaper);
            canvas->setScale(0, 0, 1000, 750);
            canvas->clear();
            // Positions run past every edge, where the painter clips.
            for (double y = -40; y < 800; y += 97.3) {
                for (double x = -40; x < 1050; x += 73.7)
                    c.draw(*canvas, x, y);
            }
        }
        EXPECT_EQ(firstDifference(stamped.image(), painted.image()), "");
        EXPECT_EQ(stamped.currentX(), painted.currentX()) << "text advances the same";
    }
}

// The stamps must serve the network's labels and circles, or the map draws
// at the painter's speed; the font the set-up installs composes them.
TEST(PixelStamps, ServeTheNetworksLabelsAndCircles)
{
    test::ensureQtApp();
    PixelStamps stamps(QtCanvas::textFont());
    for (const char* label : {"107.666  P1", "-12.5 ", "0.001"})
        EXPECT_NE(stamps.text(label), nullptr) << label;
    EXPECT_EQ(stamps.text("基点"), nullptr);
    QPen pen(Qt::black, 1);
    EXPECT_NE(stamps.circle(1.0, pen, false), nullptr);
    EXPECT_EQ(stamps.circle(PixelStamps::kLargestCircle * 2, pen, false), nullptr);
}

} // namespace
} // namespace tervane
