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

#include <map>
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

// Element counts of an XML file, its root's viewBox and all its text; empty
// when the file does not parse.
std::map<QString, int> elementCounts(const QString& path, QString* viewBox, QString* texts)
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
    ASSERT_GT(record.count(DrawingRecord::Kind::Line), 1000u);

    const QString path = folder->file(QStringLiteral("map.svg"));
    ASSERT_TRUE(exportVectorDrawing(record, path, VectorFormat::Svg));
    QString viewBox, texts;
    const auto counts = elementCounts(path, &viewBox, &texts);
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(viewBox, QStringLiteral("0 0 631 497"));
    // Every line with a length is one polyline; labels are text in the order printed.
    int lines = 0;
    QString printed;
    for (const DrawingRecord::Item& item : record.items()) {
        lines += item.kind == DrawingRecord::Kind::Line && (item.x1 != item.x2 || item.y1 != item.y2);
        if (item.kind == DrawingRecord::Kind::Text)
            printed += QString::fromStdString(record.text(item));
    }
    EXPECT_EQ(counts.count(QStringLiteral("polyline")) ? counts.at(QStringLiteral("polyline")) : 0, lines);
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
