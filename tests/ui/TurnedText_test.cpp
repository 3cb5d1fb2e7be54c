#include "engine/base/RecordingCanvas.h"
#include "ui/QtCanvas.h"
#include "ui/QtTestApp.h"
#include "ui/VectorExport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

namespace tervane {
namespace {

constexpr double kPi = std::numbers::pi;

// Turned text on the window's canvas, measured along its baseline as seen
// and across it from its point: centred there (not hanging from it as
// printed text does), long along and short across, and reading from its
// heavy start "MM" towards its light dots, at either device pixel ratio.
TEST(TurnedTextPixels, CentredOnItsPointAlongItsAngle)
{
    test::ensureQtApp();
    for (const auto& [angle, ratio] : {std::pair{0.0, 1.0}, {kPi / 2, 1.0}, {-kPi / 2, 1.0}, {kPi, 1.0},
                                       {kPi / 4, 1.0}, {0.0, 2.0}, {kPi / 2, 2.0}, {-kPi / 3, 2.0}}) {
        SCOPED_TRACE(testing::Message() << "angle " << angle << ", ratio " << ratio);
        QtCanvas area(9464, 7410, ratio);
        area.setScale(-400, 7010, 9064, -400);  // the drawing frame, Y up
        area.printTurned(4000, 3000, angle, "MM.....");
        const double cx = area.toPixelX(4000) * ratio, cy = area.toPixelY(3000) * ratio;
        const double ux = std::cos(angle), uy = -std::sin(angle);  // in Y-down pixels
        double along[2] = {1e9, -1e9}, across[2] = {1e9, -1e9}, mass = 0;
        int ink = 0;
        const QImage& image = area.image();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, a = dx * ux + dy * uy, b = -dx * uy + dy * ux;
                    along[0] = std::min(along[0], a), along[1] = std::max(along[1], a);
                    across[0] = std::min(across[0], b), across[1] = std::max(across[1], b);
                    mass += a, ++ink;
                }
        ASSERT_GT(ink, 20);
        EXPECT_NEAR(along[0] + along[1], 0, 3 * ratio);
        // Capitals sit a little above the middle of a line that has room for descenders.
        EXPECT_NEAR(across[0] + across[1], 0, 5 * ratio);
        EXPECT_GT(along[1] - along[0], 2.5 * (across[1] - across[0]));
        EXPECT_LT(mass / ink, -2 * ratio);
    }
}

// A map with turned values and a legend strip beside it, as SVG: each value
// is real text under a transform that puts its origin on the value's
// centre and its X axis along the baseline as seen, plain text is not
// turned, and the strip stands to the right of the map on a page as wide
// as both and as high as the higher.
TEST(TurnedTextExport, SvgKeepsTurnedValuesAndTheStripBesideTheMap)
{
    test::ensureQtApp();
    QTemporaryDir dir;
    RecordingCanvas map(9464, 7410), legend(1500, 9000);  // 631 x 494 and 100 x 600 pixels
    DrawingRecord mapRecord(631, 494), legendRecord(100, 600);
    map.setRecord(&mapRecord);
    legend.setRecord(&legendRecord);
    map.setScale(-400, 7010, 9064, -400);
    map.print("山顶");
    struct Case {
        const char* text;
        double x, y, angle;  // pixels and the angle expected in the SVG
    };
    const Case cases[] = {{"120", map.toPixelX(1000), map.toPixelY(2000), 0},
                          {"125", map.toPixelX(3000), map.toPixelY(1000), kPi / 2},
                          {"130", map.toPixelX(5000), map.toPixelY(4000), -0.6},
                          {"135", map.toPixelX(6000), map.toPixelY(500), 2.5},
                          {"图例", 631 + 50, 300, kPi / 2},
                          {"山顶", map.toPixelX(0), -1, 0}};
    for (const Case& c : cases)
        if (c.y >= 0 && c.x < 631)
            map.printTurned(map.fromPixelX(c.x), map.fromPixelY(c.y), c.angle, c.text);
    legend.printTurned(750, 4500, kPi / 2, "图例");
    const QString path = dir.filePath(QStringLiteral("both.svg"));
    ASSERT_TRUE(writeVectorDrawing(path.toStdString(), mapRecord, VectorFormat::Svg, &legendRecord));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 731 600\"")));
    // Each text element with the transform of the group it stands in.
    static const QRegularExpression text(QStringLiteral(
        "transform=\"matrix\\(([^)]*)\\)\"[^<]*<text[^>]*>([^<]*)</text>"));
    std::map<QString, QStringList> found;
    for (auto it = text.globalMatch(svg); it.hasNext();) {
        const auto m = it.next();
        found[m.captured(2)] = m.captured(1).split(QLatin1Char(','));
    }
    EXPECT_EQ(found.size(), std::size(cases));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QStringList matrix = found[QString::fromUtf8(c.text)];
        ASSERT_EQ(matrix.size(), 6);
        const double expected[] = {std::cos(c.angle), -std::sin(c.angle), std::sin(c.angle), std::cos(c.angle)};
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(matrix[k].toDouble(), expected[k], 1e-3) << k;
        if (c.y >= 0) {
            EXPECT_NEAR(matrix[4].toDouble(), c.x, 0.01);
            EXPECT_NEAR(matrix[5].toDouble(), c.y, 0.01);
        }
    }
}

} // namespace
} // namespace tervane
