#include "engine/base/RecordingCanvas.h"
#include "ui/QtCanvas.h"
#include "ui/QtTestApp.h"
#include "ui/VectorExport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace tervane {
namespace {

constexpr double kPi = std::numbers::pi;

// The ink of an image on a white ground, measured from a centre along a
// baseline (ux, uy) in image pixels, Y down, and across it: the spans
// either way and the middle of the ink along the baseline.
struct Ink {
    int count = 0;
    double alongLow = 1e9, alongHigh = -1e9, acrossLow = 1e9, acrossHigh = -1e9, alongSum = 0;
    double alongLength() const { return alongHigh - alongLow; }
    double acrossLength() const { return acrossHigh - acrossLow; }
    double alongMiddle() const { return (alongLow + alongHigh) / 2; }
    double acrossMiddle() const { return (acrossLow + acrossHigh) / 2; }
    double alongMass() const { return alongSum / count; }
};

Ink inkOf(const QImage& image, double cx, double cy, double ux, double uy)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                const double along = dx * ux + dy * uy, across = -dx * uy + dy * ux;
                ++ink.count;
                ink.alongSum += along;
                ink.alongLow = std::min(ink.alongLow, along);
                ink.alongHigh = std::max(ink.alongHigh, along);
                ink.acrossLow = std::min(ink.acrossLow, across);
                ink.acrossHigh = std::max(ink.acrossHigh, across);
            }
    return ink;
}

// Turned text on the window's canvas sits centred on its point, not hanging
// from it as printed text does, lies along its angle as seen and reads from
// its heavy start "MM" towards its light end of dots, at either device
// pixel ratio.
TEST(TurnedTextPixels, CentredOnItsPointAlongItsAngle)
{
    test::ensureQtApp();
    const std::string text = "MM.....";
    struct Case {
        double angle;
        double ratio;
    };
    const Case cases[] = {{0, 1},        {kPi / 2, 1}, {-kPi / 2, 1}, {kPi, 1},
                          {kPi / 4, 1}, {0, 2},        {kPi / 2, 2},  {-kPi / 3, 2}};
    double flatLength = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle << ", ratio " << c.ratio);
        QtCanvas area(9464, 7410, c.ratio);
        area.setScale(-400, 7010, 9064, -400);  // the drawing frame, Y up
        area.setBackColour(rgb(255, 255, 255));
        area.setForeColour(rgb(0, 0, 0));
        area.setCurrent(0, 0);
        area.printTurned(4000, 3000, c.angle, text);
        const double cx = area.toPixelX(4000) * c.ratio, cy = area.toPixelY(3000) * c.ratio;
        // The baseline as seen runs along (cos, -sin) in Y-down pixels.
        const Ink ink = inkOf(area.image(), cx, cy, std::cos(c.angle), -std::sin(c.angle));
        ASSERT_GT(ink.count, 20);
        // Centred along the baseline; across it the capitals' ink sits a
        // little above the middle of the font's height, which has room
        // for descenders.
        EXPECT_NEAR(ink.alongMiddle(), 0, 1.5 * c.ratio);
        EXPECT_NEAR(ink.acrossMiddle(), 0, 2.5 * c.ratio);
        // Long along the baseline, short across it.
        EXPECT_GT(ink.alongLength(), 2.5 * ink.acrossLength());
        // The heavy start lies back along the baseline from the middle.
        EXPECT_LT(ink.alongMass(), -2 * c.ratio);
        if (c.angle == 0 && c.ratio == 1)
            flatLength = ink.alongLength();
        if (c.angle == 0 && c.ratio == 2)
            EXPECT_NEAR(ink.alongLength(), 2 * flatLength, 4);
        // The current position is where it was.
        EXPECT_EQ(area.currentX(), 0);
        EXPECT_EQ(area.currentY(), 0);
    }
}

// A turned text in an SVG, as QSvgGenerator writes it: the text itself
// under a group whose transform puts its origin on the text's centre and
// its X axis along the baseline.
struct SvgText {
    QString text;
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};

struct Svg {
    QString width, height, viewBox;
    std::vector<SvgText> texts;
};

std::optional<Svg> readSvg(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QXmlStreamReader xml(&file);
    Svg svg;
    std::vector<QString> transforms{QString()};
    static const QRegularExpression matrix(QStringLiteral(
        "matrix\\(([-0-9.e]+),([-0-9.e]+),([-0-9.e]+),([-0-9.e]+),([-0-9.e]+),([-0-9.e]+)\\)"));
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            transforms.pop_back();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QString transform = xml.attributes().value(QStringLiteral("transform")).toString();
        transforms.push_back(transform.isEmpty() ? transforms.back() : transform);
        if (xml.name() == QStringLiteral("svg")) {
            svg.width = xml.attributes().value(QStringLiteral("width")).toString();
            svg.height = xml.attributes().value(QStringLiteral("height")).toString();
            svg.viewBox = xml.attributes().value(QStringLiteral("viewBox")).toString();
        }
        if (xml.name() == QStringLiteral("text")) {
            SvgText t;
            if (const auto m = matrix.match(transforms.back()); m.hasMatch()) {
                t.a = m.captured(1).toDouble(), t.b = m.captured(2).toDouble(), t.c = m.captured(3).toDouble();
                t.d = m.captured(4).toDouble(), t.e = m.captured(5).toDouble(), t.f = m.captured(6).toDouble();
            }
            t.text = xml.readElementText();
            transforms.pop_back();  // readElementText read its end
            svg.texts.push_back(t);
        }
    }
    if (xml.hasError())
        return std::nullopt;
    return svg;
}

const SvgText* find(const Svg& svg, const QString& text)
{
    for (const SvgText& t : svg.texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

// A map area with turned values and a legend strip beside it: each value is
// real text turned about its centre to its angle as seen, plain text stays
// plain, and the strip stands to the right of the map on one page.
TEST(TurnedTextExport, SvgKeepsTurnedValuesAndTheStripBesideTheMap)
{
    test::ensureQtApp();
    QTemporaryDir dir;
    RecordingCanvas map(9464, 7410);  // 631 x 494 pixels
    DrawingRecord mapRecord(map.pixelWidth(), map.pixelHeight());
    map.setRecord(&mapRecord);
    map.setScale(-400, 7010, 9064, -400);
    map.setCurrent(0, 0);
    map.print("山顶");
    struct Case {
        const char* text;
        double x, y, angle;
    };
    const Case values[] = {{"120", 1000, 2000, 0}, {"125", 3000, 1000, kPi / 2}, {"130", 5000, 4000, -0.6},
                           {"135", 6000, 500, 2.5}};
    for (const Case& v : values)
        map.printTurned(v.x, v.y, v.angle, v.text);
    RecordingCanvas legend(1500, 9000);  // 100 x 600 pixels: higher than the map
    DrawingRecord legendRecord(legend.pixelWidth(), legend.pixelHeight());
    legend.setRecord(&legendRecord);
    legend.printTurned(750, 4500, kPi / 2, "图例");

    const QString alone = dir.filePath(QStringLiteral("map.svg"));
    ASSERT_TRUE(writeVectorDrawing(alone.toStdString(), mapRecord, VectorFormat::Svg));
    const QString both = dir.filePath(QStringLiteral("both.svg"));
    ASSERT_TRUE(writeVectorDrawing(both.toStdString(), mapRecord, VectorFormat::Svg, &legendRecord));
    const std::optional<Svg> mapSvg = readSvg(alone), bothSvg = readSvg(both);
    ASSERT_TRUE(mapSvg && bothSvg);
    EXPECT_EQ(mapSvg->viewBox, QStringLiteral("0 0 631 494"));
    EXPECT_EQ(bothSvg->viewBox, QStringLiteral("0 0 731 600"));
    EXPECT_EQ(mapSvg->texts.size(), 5u);
    EXPECT_EQ(bothSvg->texts.size(), 6u);

    for (const Svg* svg : {&*mapSvg, &*bothSvg}) {
        for (const Case& v : values) {
            SCOPED_TRACE(v.text);
            const SvgText* t = find(*svg, QString::fromUtf8(v.text));
            ASSERT_TRUE(t);
            // The X axis runs along the baseline as seen: (cos, -sin) in Y-down pixels.
            EXPECT_NEAR(t->a, std::cos(v.angle), 1e-3);
            EXPECT_NEAR(t->b, -std::sin(v.angle), 1e-3);
            EXPECT_NEAR(t->c, std::sin(v.angle), 1e-3);
            EXPECT_NEAR(t->d, std::cos(v.angle), 1e-3);
            EXPECT_NEAR(t->e, map.toPixelX(v.x), 0.01);
            EXPECT_NEAR(t->f, map.toPixelY(v.y), 0.01);
        }
        const SvgText* plain = find(*svg, QStringLiteral("山顶"));
        ASSERT_TRUE(plain);
        EXPECT_NEAR(plain->a, 1, 1e-9);
        EXPECT_NEAR(plain->b, 0, 1e-9);
    }
    const SvgText* key = find(*bothSvg, QStringLiteral("图例"));
    ASSERT_TRUE(key);
    EXPECT_NEAR(key->e, 631 + 50, 0.01);
    EXPECT_NEAR(key->f, 300, 0.01);
    EXPECT_NEAR(key->b, -1, 1e-3);
}

QString run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(TurnedTextExport, PdfPageHoldsTheMapAndTheStripWithTheirText)
{
    test::ensureQtApp();
    QTemporaryDir dir;
    RecordingCanvas map(9464, 7410);  // 631 x 494 pixels
    DrawingRecord mapRecord(map.pixelWidth(), map.pixelHeight());
    map.setRecord(&mapRecord);
    map.printTurned(3000, 3000, kPi / 2, "8848");
    RecordingCanvas legend(2400, 3000);  // 160 x 200 pixels: lower than the map
    DrawingRecord legendRecord(legend.pixelWidth(), legend.pixelHeight());
    legend.setRecord(&legendRecord);
    legend.setCurrent(100, 100);
    legend.print("图例");
    const QString path = dir.filePath(QStringLiteral("both.pdf"));
    ASSERT_TRUE(writeVectorDrawing(path.toStdString(), mapRecord, VectorFormat::Pdf, &legendRecord));
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    // 791 x 494 pixels at 96 dpi and an 18-point margin all round, to the
    // nearest point.
    const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), 791 * 0.75 + 36, 0.5);
    EXPECT_NEAR(size.captured(2).toDouble(), 494 * 0.75 + 36, 0.5);
    const QString text = run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("8848"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("图例"))) << text.toStdString();
}

} // namespace
} // namespace tervane
