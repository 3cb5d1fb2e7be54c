#include "ui/HeadlessRender.h"

#include "engine/state/LegendLayout.h"
#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <QFile>
#include <QImage>

#include <sstream>

#include <gtest/gtest.h>

namespace tervane {
namespace {

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

struct Rendered {
    QImage png;
    QImage bmp;
    QByteArray svg;
};

// Renders the example as the command line would with the panel given, in a
// fresh folder, into PNG, BMP and SVG.
Rendered render(const PanelSettings& panel, int scale = 1)
{
    test::InTemporaryFolder folder;
    HeadlessJob job;
    job.file = kExample;
    job.seed = 1;
    job.panel = panel;
    job.scale = scale;
    job.pngPath = folder.file(QStringLiteral("out.png")).toStdString();
    job.bmpPath = folder.file(QStringLiteral("out.bmp")).toStdString();
    job.svgPath = folder.file(QStringLiteral("out.svg")).toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(renderHeadless(job, out, err), 0) << err.str();
    QFile svg(QString::fromStdString(job.svgPath));
    Rendered result{QImage(QString::fromStdString(job.pngPath)).convertToFormat(QImage::Format_RGB32),
                    QImage(QString::fromStdString(job.bmpPath)).convertToFormat(QImage::Format_RGB32), {}};
    if (svg.open(QIODevice::ReadOnly))
        result.svg = svg.readAll();
    return result;
}

PanelSettings newLook(bool legend, const char* lineWidth)
{
    PanelSettings panel;
    panel.classic = false;
    panel.legend = legend;
    panel.lineWidthText = lineWidth;
    return panel;
}

int distinctColours(const QImage& image)
{
    QList<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!seen.contains(image.pixel(x, y)))
                seen.append(image.pixel(x, y));
    return static_cast<int>(seen.size());
}

// The legend is a strip to the right of the map, which stays exactly as it
// is without one; the strip grows with --scale as the map does.
TEST(HeadlessLegend, ImagesGetAStripBesideAnUntouchedMap)
{
    test::ensureQtApp();
    struct Case {
        const char* lineWidth;
        int scale;
        const char* caption;  // what that kind of legend says: an interval, a level
    };
    const Case cases[] = {{"1", 1, ">等高距 1<"}, {"5", 1, ">113<"}, {"1", 2, ">计曲线 5<"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("line width ") + c.lineWidth + ", scale " + std::to_string(c.scale));
        const Rendered with = render(newLook(true, c.lineWidth), c.scale);
        const Rendered without = render(newLook(false, c.lineWidth), c.scale);
        ASSERT_FALSE(with.png.isNull());
        ASSERT_FALSE(without.png.isNull());
        EXPECT_EQ(without.png.size(), QSize(631 * c.scale, 497 * c.scale));
        const int strip = with.png.width() - without.png.width();
        EXPECT_GE(strip, legend::kMinWidth * c.scale);
        EXPECT_LE(strip, legend::kMaxWidth * c.scale);
        EXPECT_EQ(with.png.height(), without.png.height());
        EXPECT_EQ(with.png.copy(0, 0, without.png.width(), without.png.height()), without.png)
            << "the map part is the map drawn without a legend";
        EXPECT_EQ(with.bmp, with.png) << "BMP and PNG show the same";
        const QImage legendPart = with.png.copy(without.png.width(), 0, strip, with.png.height());
        EXPECT_EQ(legendPart.pixel(legendPart.width() - 1, legendPart.height() - 1),
                  QColor(0, 0, 0).rgb())
            << "the panel's background (black by default)";
        EXPECT_GT(distinctColours(legendPart), 2) << "title, captions and samples are drawn";

        EXPECT_TRUE(with.svg.contains(c.caption));
        EXPECT_FALSE(without.svg.contains(c.caption));
        EXPECT_TRUE(with.svg.contains("图例"));
        EXPECT_FALSE(without.svg.contains("图例"));
    }
}

TEST(HeadlessLegend, TheClassicLookHasNoStrip)
{
    test::ensureQtApp();
    PanelSettings classic = newLook(true, "5");
    classic.classic = true;
    const Rendered rendered = render(classic);
    EXPECT_EQ(rendered.png.size(), QSize(631, 497));
    EXPECT_FALSE(rendered.svg.contains("图例"));
}

} // namespace
} // namespace tervane
