#include "ui/VectorExport.h"

#include "engine/base/EscapeKey.h"
#include "engine/base/ScriptedPrompter.h"
#include "engine/commands/MainCommands.h"
#include "ui/CurrentFolder.h"
#include "ui/HeadlessView.h"
#include "ui/QtTestApp.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>
#include <memory>

namespace tervane {
namespace {

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

// The example's contour map drawn headless with a fixed seed, in a fresh folder.
class VectorExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ensureQtApp();
        folder = std::make_unique<test::InTemporaryFolder>();
        random.setFixedSeed(1);
        view.recordDrawing();
        MainCommands commands(ctx);
        commands.startUp();
        commands.open(std::string(kExample));
        commands.draw();
    }

    std::unique_ptr<test::InTemporaryFolder> folder;
    SharedState state;
    PanelSettings panel;
    HeadlessView view;
    ScriptedPrompter prompter;
    NoEscapeKey escape;
    Random random;
    RunContext ctx{state, panel, view, prompter, escape, random};
};

using Segment = std::pair<std::pair<long, long>, std::pair<long, long>>;

// A segment as a set member: ends as the SVG prints them (six significant
// digits), in thousandths of a pixel, either way round.
Segment segmentOf(double x1, double y1, double x2, double y2)
{
    const auto key = [](double v) { return std::lround(QString::number(v, 'g', 6).toDouble() * 1000); };
    std::pair<long, long> a{key(x1), key(y1)}, b{key(x2), key(y2)};
    return a < b ? Segment{a, b} : Segment{b, a};
}

// The straight segments an SVG draws with paths and polylines.
void addSegments(const QXmlStreamAttributes& attributes, bool path, std::vector<Segment>& segments)
{
    static const QRegularExpression number(QStringLiteral("([ML]?)\\s*(-?[0-9.]+),(-?[0-9.]+)"));
    const QString points = attributes.value(path ? QStringLiteral("d") : QStringLiteral("points")).toString();
    double x = 0, y = 0;
    bool first = true;
    for (auto it = number.globalMatch(points); it.hasNext();) {
        const auto m = it.next();
        const double nx = m.captured(2).toDouble(), ny = m.captured(3).toDouble();
        if (!first && m.captured(1) != QStringLiteral("M"))
            segments.push_back(segmentOf(x, y, nx, ny));
        x = nx;
        y = ny;
        first = false;
    }
}

// Element counts of an XML file, its root's viewBox, all its text and the
// segments it draws; empty when the file does not parse.
std::map<QString, int> elementCounts(const QString& path, QString* viewBox, QString* texts,
                                     std::vector<Segment>* segments = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    std::map<QString, int> counts;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QStringLiteral("svg"))
            *viewBox = xml.attributes().value(QStringLiteral("viewBox")).toString();
        if (segments && (xml.name() == QStringLiteral("path") || xml.name() == QStringLiteral("polyline")))
            addSegments(xml.attributes(), xml.name() == QStringLiteral("path"), *segments);
        if (xml.name() == QStringLiteral("text"))
            *texts += xml.readElementText();
        ++counts[xml.name().toString()];
    }
    return xml.hasError() ? std::map<QString, int>{} : counts;
}

QString run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(VectorExport, TheExampleMapAsSvgKeepsEveryLineAndLabel)
{
    ASSERT_TRUE(prompter.messages().empty());
    const DrawingRecord& record = view.drawingRecord();
    ASSERT_GT(record.count(DrawingRecord::Kind::Line) + record.count(DrawingRecord::Kind::Polyline), 100u);

    const QString path = folder->file(QStringLiteral("map.svg"));
    ASSERT_TRUE(exportVectorDrawing(record, path, VectorFormat::Svg));
    QString viewBox, texts;
    std::vector<Segment> drawn;
    const auto counts = elementCounts(path, &viewBox, &texts, &drawn);
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(viewBox, QStringLiteral("0 0 631 497"));
    // Every line with a length is drawn, once: lines of one pen are joined
    // into paths, and a line drawn again in the same colour is not repeated.
    std::set<Segment> lines;
    std::set<std::pair<Segment, Colour>> pens;
    QString printed;
    for (const DrawingRecord::Item& item : record.items()) {
        if (item.kind == DrawingRecord::Kind::Line && (item.x1 != item.x2 || item.y1 != item.y2)) {
            lines.insert(segmentOf(item.x1, item.y1, item.x2, item.y2));
            pens.insert({segmentOf(item.x1, item.y1, item.x2, item.y2), item.colour});
        }
        if (item.kind == DrawingRecord::Kind::Polyline) {
            const auto points = record.points(item);
            for (std::size_t i = 1; i < points.size(); ++i) {
                if (points[i] == points[i - 1])
                    continue;
                const Segment s = segmentOf(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
                lines.insert(s);
                pens.insert({s, item.colour});
            }
        }
        if (item.kind == DrawingRecord::Kind::Text)
            printed += QString::fromStdString(record.text(item));
    }
    EXPECT_EQ(std::set<Segment>(drawn.begin(), drawn.end()), lines);
    // Each line in each of its colours at least once (a line drawn over in
    // another colour and then again is drawn again).
    EXPECT_GE(drawn.size(), pens.size());
    // Far fewer elements than lines: one per pen and run, not one per line.
    EXPECT_LT(counts.count(QStringLiteral("path")) ? counts.at(QStringLiteral("path")) : 0, 50);
    EXPECT_EQ(texts, printed);
    EXPECT_FALSE(counts.count(QStringLiteral("image")));

    // A picture (the 3D view's) goes in whole, at its own size.
    QImage picture(511, 487, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(exportPicture(picture, path, VectorFormat::Svg));
    const auto pictureCounts = elementCounts(path, &viewBox, &texts);
    EXPECT_EQ(viewBox, QStringLiteral("0 0 511 487"));
    EXPECT_EQ(pictureCounts.count(QStringLiteral("image")) ? pictureCounts.at(QStringLiteral("image")) : 0, 1);
}

// A repeat in the colour a shape was last drawn in adds nothing and is left
// out; a shape rubbed out in another colour and drawn again comes back.
TEST_F(VectorExport, RepeatsAreLeftOutButRedrawsAfterARubOutStay)
{
    DrawingRecord record(100, 100);
    const auto line = [&](float x1, float y1, float x2, float y2, Colour c) {
        DrawingRecord::Item item;
        item.colour = c;
        item.x1 = x1, item.y1 = y1, item.x2 = x2, item.y2 = y2;
        record.add(item);
    };
    const Colour red = rgb(255, 0, 0), white = rgb(255, 255, 255);
    line(10, 10, 50, 10, red);
    line(50, 10, 10, 10, red);  // the same line from its other end
    line(10, 10, 50, 10, red);
    line(10, 30, 50, 30, red);
    line(10, 30, 50, 30, white);
    line(10, 30, 50, 30, red);
    const QString path = folder->file(QStringLiteral("repeats.svg"));
    ASSERT_TRUE(exportVectorDrawing(record, path, VectorFormat::Svg));
    QString viewBox, texts;
    std::vector<Segment> drawn;
    ASSERT_FALSE(elementCounts(path, &viewBox, &texts, &drawn).empty());
    EXPECT_EQ(drawn.size(), 4u);
}

TEST_F(VectorExport, TheExampleMapAsPdfIsOnePageWithTheFontEmbedded)
{
    const QString path = folder->file(QStringLiteral("map.pdf"));
    ASSERT_TRUE(exportVectorDrawing(view.drawingRecord(), path, VectorFormat::Pdf));

    const QString info = run(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
    // 631 x 497 pixels at 96 dpi and an 18-point margin all round.
    EXPECT_TRUE(info.contains(QStringLiteral("Page size:       509 x 409 pts"))) << info.toStdString();
    const QStringList fonts = run(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n')).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts)
        EXPECT_TRUE(font.isEmpty() || font.contains(QStringLiteral(" yes "))) << font.toStdString();
    const QString text = run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("山顶"))) << text.toStdString();

    EXPECT_FALSE(exportVectorDrawing(view.drawingRecord(), folder->file(QStringLiteral("no/such/dir/x.pdf")),
                                     VectorFormat::Pdf));
}

} // namespace
} // namespace tervane
