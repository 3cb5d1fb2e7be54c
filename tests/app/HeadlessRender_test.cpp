#include "app/Headless.h"

#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

namespace tervane {
namespace {

CommandLine renderLine(const std::string& file)
{
    CommandLine line;
    line.mode = CommandLine::Mode::Render;
    line.file = file;
    line.seed = 1;
    return line;
}

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

// Renders the example with the options given, into OUT.png of the current
// folder; the image, or a null one when the run failed.
QImage renderExample(const std::vector<std::string>& options, const test::InTemporaryFolder& folder,
                     const QString& name = QStringLiteral("out.png"))
{
    std::vector<std::string> args = {"render", kExample, "--seed", "1", "--png",
                                     folder.file(name).toStdString()};
    args.insert(args.end(), options.begin(), options.end());
    const CommandLine line = parseCommandLine(args);
    EXPECT_EQ(line.mode, CommandLine::Mode::Render) << line.error;
    std::ostringstream out, err;
    EXPECT_EQ(runRender(line, out, err), 0) << err.str();
    return QImage(folder.file(name));
}

// Distinct colours with equal red, green and blue, black left out.
int greyShades(const QImage& image)
{
    std::set<int> shades;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() == c.green() && c.green() == c.blue() && c.red() > 0)
                shades.insert(c.red());
        }
    return static_cast<int>(shades.size());
}

// Distinct red values among pixels of the given green and blue.
int redShadesWith(const QImage& image, int green, int blue)
{
    std::set<int> shades;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.green() == green && c.blue() == blue)
                shades.insert(c.red());
        }
    return static_cast<int>(shades.size());
}

// Pixels close to the given colour.
int pixelsNear(const QImage& image, QColor colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) < 24)
                ++count;
        }
    return count;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(HeadlessRender, ExampleOpensBuildsAndSavesTheDrawingArea)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    CommandLine line = renderLine(TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D");
    line.pngPath = folder.file(QStringLiteral("out.png")).toStdString();
    line.bmpPath = folder.file(QStringLiteral("out.bmp")).toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(runRender(line, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "wrote dzx.NDX\nwrote dzx.XYZ\nwrote dzx.OXY\nwrote dzx.DH\nwrote " + line.pngPath
                             + "\nwrote " + line.bmpPath + "\n");
    EXPECT_TRUE(err.str().empty());
    for (const char* name : {"dzx.NDX", "dzx.XYZ", "dzx.OXY", "dzx.DH"})
        EXPECT_TRUE(QFileInfo::exists(folder.file(QString::fromLatin1(name)))) << name;
    const QImage png(QString::fromStdString(line.pngPath));
    EXPECT_EQ(png.size(), QSize(631, 497));
    EXPECT_EQ(QImage(QString::fromStdString(line.bmpPath)).size(), QSize(631, 497));
}

TEST(HeadlessRender, MissingFileFailsWithTheMessageOnStandardError)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    CommandLine line = renderLine(folder.file(QStringLiteral("absent.D3D")).toStdString());
    line.pngPath = folder.file(QStringLiteral("out.png")).toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(runRender(line, out, err), 1);
    EXPECT_FALSE(err.str().empty());
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("dzx.NDX"))));
    // No picture after a failure: a black image would pass for a result.
    EXPECT_TRUE(out.str().empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(line.pngPath)));
}

TEST(HeadlessRender, PathWithABlankDrawsAndAnUnwritableImageFails)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    std::ostringstream out, err;
    std::filesystem::create_directory(folder.file(QStringLiteral("a b")).toStdString());
    const std::string data = folder.file(QStringLiteral("a b/x.D3D")).toStdString();
    std::filesystem::copy_file(kExample, data);
    CommandLine blank = renderLine(data);
    blank.pngPath = folder.file(QStringLiteral("a b/out.png")).toStdString();
    EXPECT_EQ(runRender(blank, out, err), 0) << err.str();
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(blank.pngPath)));

    CommandLine line = renderLine(TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D");
    line.pngPath = folder.file(QStringLiteral("no/such/folder/out.png")).toStdString();
    std::ostringstream out2, err2;
    EXPECT_EQ(runRender(line, out2, err2), 1);
    EXPECT_NE(err2.str().find("cannot write"), std::string::npos);
}

// A render that keeps nothing is a usage mistake, found before any work:
// not even the working files are written. The plot file alone counts.
TEST(HeadlessRender, ARenderWithNoOutputIsRefused)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    std::ostringstream out, err;
    EXPECT_EQ(runRender(renderLine(kExample), out, err), 2);
    EXPECT_EQ(err.str(), "tervane: render needs --png, --bmp, --svg, --pdf, --hpgl or --contours to keep its drawing\n");
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("dzx.NDX"))));
    const std::string data = folder.file(QStringLiteral("hill.D3D")).toStdString();
    std::filesystem::copy_file(kExample, data);
    CommandLine hpgl = renderLine(data);
    hpgl.panel.check15 = true;
    EXPECT_EQ(runRender(hpgl, out, err), 0) << err.str();
}

// --scale N draws the area N times as large, a real redraw: lines stay
// sharp and text is set at that size, so the image is no enlarged copy of
// the one at scale 1. Render, play and view3d alike; 0 and 9 are refused.
TEST(HeadlessRender, ScaleRedrawsTheAreaLarger)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const std::string data = folder.file(QStringLiteral("hill.D3D")).toStdString();
    std::filesystem::copy_file(kExample, data);
    const auto run = [&](std::vector<std::string> args, const char* png) {
        args.push_back("--png");
        args.push_back(folder.file(QString::fromLatin1(png)).toStdString());
        const CommandLine line = parseCommandLine(args);
        EXPECT_EQ(line.mode == CommandLine::Mode::Usage, false) << line.error;
        std::ostringstream out, err;
        const int status = line.mode == CommandLine::Mode::Render ? runRender(line, out, err)
                           : line.mode == CommandLine::Mode::Play ? runPlay(line, out, err)
                                                                  : runView3d(line, out, err);
        EXPECT_EQ(status, 0) << err.str();
        return QImage(folder.file(QString::fromLatin1(png)));
    };
    // Without the legend strip, which is measured by its own tests.
    const QImage one = run({"render", data, "--seed", "1", "--hpgl", "--no-legend"}, "one.png");
    const QImage two = run({"render", data, "--seed", "1", "--scale", "2", "--no-legend"}, "two.png");
    EXPECT_EQ(one.size(), QSize(631, 497));
    EXPECT_EQ(two.size(), QSize(1262, 994));
    EXPECT_NE(two.convertToFormat(QImage::Format_RGB32),
              one.scaled(one.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(run({"play", folder.file(QStringLiteral("hill.PLT")).toStdString(), "--scale", "3"}, "play.png").size(),
              QSize(1893, 1491));
    EXPECT_EQ(run({"view3d", data, "--seed", "1", "--scale", "2"}, "view.png").size(), QSize(1022, 974));
    for (const char* bad : {"0", "9", "1.5", "two"})
        EXPECT_EQ(parseCommandLine({"render", data, "--scale", bad, "--png", "x.png"}).mode, CommandLine::Mode::Usage)
            << bad;
    EXPECT_EQ(parseCommandLine({"view3d", data, "--scale", "9", "--png", "x.png"}).mode, CommandLine::Mode::Usage);
}

TEST(HeadlessRender, WideLinesRenderTheMapInTransitionColours)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const QImage lineMap = renderExample({}, folder, QStringLiteral("lines.png"));
    const QImage grey = renderExample({"--width", "10"}, folder, QStringLiteral("grey.png"));
    const QImage ramp = renderExample({"--width", "10", "--ramp", "200,100"}, folder, QStringLiteral("ramp.png"));
    ASSERT_FALSE(lineMap.isNull());
    ASSERT_FALSE(grey.isNull());
    ASSERT_FALSE(ramp.isNull());
    // The line map uses the palette only; the rendered map one grey per level
    // and the coloured ramp one red per level over green 200 and blue 100.
    EXPECT_LE(greyShades(lineMap), 2);
    EXPECT_GE(greyShades(grey), 8);
    EXPECT_LE(redShadesWith(lineMap, 200, 100), 1);
    EXPECT_GE(redShadesWith(ramp, 200, 100), 8);
    // Width 4 is still a line map.
    EXPECT_LE(greyShades(renderExample({"--width", "4"}, folder, QStringLiteral("four.png"))), 2);
}

TEST(HeadlessRender, LabelOptionsReachTheRun)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const QColor values(255, 0, 0);
    const int three = pixelsNear(renderExample({"--no-network"}, folder, QStringLiteral("3.png")), values);
    const int none = pixelsNear(renderExample({"--no-network", "--decimals", "0"}, folder, QStringLiteral("0.png")),
                                values);
    const int third = pixelsNear(renderExample({"--no-network", "--labels", "third"}, folder,
                                               QStringLiteral("t.png")), values);
    // Fewer digits, and labels on fewer points, leave less ink of the values.
    EXPECT_GT(none, 0);
    EXPECT_LT(none, three);
    EXPECT_LT(third, three);
}

TEST(HeadlessRender, HpglRecordsThePlotFileAndPlayShowsIt)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const QString data = folder.file(QStringLiteral("hill.D3D"));
    ASSERT_TRUE(QFile::copy(QString::fromUtf8(kExample), data));
    const CommandLine line =
        parseCommandLine({"render", data.toStdString(), "--seed", "1", "--hpgl", "--decimals", "1"});
    std::ostringstream out, err;
    ASSERT_EQ(runRender(line, out, err), 0) << err.str();
    // Without an image option the run still says what it wrote.
    EXPECT_EQ(out.str(), "wrote dzx.NDX\nwrote dzx.XYZ\nwrote dzx.OXY\nwrote dzx.DH\nwrote "
                             + folder.file(QStringLiteral("hill.PLT")).toStdString() + "\n");

    const QByteArray plot = fileBytes(folder.file(QStringLiteral("hill.PLT")));
    EXPECT_TRUE(plot.startsWith("IN;\r\nPA:\r\nSP1;\r\n"));
    EXPECT_TRUE(plot.endsWith("\r\nPU0,0;SP0;\r\n"));
    EXPECT_GT(plot.count("PD"), 100);

    const QString png = folder.file(QStringLiteral("played.png"));
    const CommandLine play = parseCommandLine(
        {"play", folder.file(QStringLiteral("hill.PLT")).toStdString(), "--png", png.toStdString()});
    std::ostringstream playOut, playErr;
    EXPECT_EQ(runPlay(play, playOut, playErr), 0) << playErr.str();
    EXPECT_EQ(playOut.str(), "wrote " + png.toStdString() + "\n");
    const QImage played(png);
    EXPECT_EQ(played.size(), QSize(631, 497));
    // Everything is drawn in the curve colour.
    EXPECT_GT(pixelsNear(played, QColor(0, 192, 0)), 1000);
}

TEST(HeadlessRender, PlayFailsOnAMissingOrEmptyPlotFile)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const QString png = folder.file(QStringLiteral("played.png"));
    const std::string missing = folder.file(QStringLiteral("absent.PLT")).toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(runPlay(parseCommandLine({"play", missing, "--png", png.toStdString()}), out, err), 1);
    EXPECT_EQ(err.str(), "tervane: cannot play " + missing + ": no such file\n");
    EXPECT_TRUE(out.str().empty());

    // A header and a single pen-down point span no width to fit.
    const QString flat = folder.file(QStringLiteral("flat.PLT"));
    QFile file(flat);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("IN;\r\nPA:\r\nSP1;\r\nPU5,5;\r\nPD5,5;\r\nPU0,0;SP0;\r\n");
    file.close();
    std::ostringstream out2, err2;
    EXPECT_EQ(runPlay(parseCommandLine({"play", flat.toStdString(), "--png", png.toStdString()}), out2, err2), 1);
    EXPECT_NE(err2.str().find("cannot play"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(png));
    std::ostringstream out3, err3;
    EXPECT_EQ(runPlay(parseCommandLine({"play", folder.path().toStdString(), "--png", png.toStdString()}), out3,
                      err3),
              1);
    EXPECT_NE(err3.str().find("not a file"), std::string::npos);
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

// --report-crossings prints what the check of the drawn curves found: with
// the mend at the strongest smoothness nothing, and without the mend the
// same curves are checked as smoothed, none mended. A run not asked for it
// prints no such line.
TEST(HeadlessRender, ReportCrossingsPrintsTheCheckOfTheDrawnCurves)
{
    test::ensureQtApp();
    const test::InTemporaryFolder folder;
    const auto report = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = {"render", kExample, "--seed", "1", "--smooth", "7", "--png",
                                         folder.file(QStringLiteral("c.png")).toStdString()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::ostringstream out, err;
        EXPECT_EQ(runRender(parseCommandLine(args), out, err), 0) << err.str();
        const std::string text = out.str();
        const auto at = text.find("crossings: ");
        return at == std::string::npos ? std::string() : text.substr(at, text.find('\n', at) - at);
    };
    const std::string mended = report({"--report-crossings"});
    EXPECT_NE(mended.find(" 0 crossing segment pairs, 0 pairs of curves that meet, 0 stretches out of band"),
              std::string::npos)
        << mended;
    const std::string asSmoothed = report({"--report-crossings", "--allow-crossings"});
    EXPECT_NE(asSmoothed.find(" 0 curves mended, farthest move 0 px"), std::string::npos) << asSmoothed;
    EXPECT_EQ(mended.substr(0, mended.find(',')), asSmoothed.substr(0, asSmoothed.find(',')))
        << "the same curves are checked";
    EXPECT_EQ(report({}), "");
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

// --report-fill is an output of its own: the bands, lowest first, each from
// where the last ended, with areas that add up to the map's. --fill-table
// takes the 3D view's table names only.
TEST(HeadlessRender, ReportFillPrintsBandsThatCoverTheMap)
{
    test::ensureQtApp();
    const test::InTemporaryFolder folder;
    std::ostringstream out, err;
    ASSERT_EQ(runRender(parseCommandLine({"render", kExample, "--seed", "1", "--interval", "2", "--report-fill"}), out, err), 0)
        << err.str();
    std::istringstream lines(out.str());
    std::string line;
    double total = 0, mapArea = 0, lastHigh = -1e300;
    int bands = 0;
    while (std::getline(lines, line)) {
        double low = 0, high = 0, area = 0;
        if (std::sscanf(line.c_str(), "fill: band %lf to %lf area %lf", &low, &high, &area) == 3) {
            if (bands > 0) {
                EXPECT_DOUBLE_EQ(low, lastHigh);
            }
            EXPECT_DOUBLE_EQ(high - low, 2);
            EXPECT_GT(area, 0);
            lastHigh = high;
            total += area;
            ++bands;
        }
        std::sscanf(line.c_str(), "fill: map area %lf", &mapArea);
    }
    EXPECT_GE(bands, 5);
    EXPECT_GT(mapArea, 0);
    EXPECT_NEAR(total, mapArea, 1e-6 * mapArea);

    EXPECT_EQ(parseCommandLine({"render", kExample, "--fill-table", "A", "--png", "a.png"}).panel.fillTable, "A");
    EXPECT_TRUE(parseCommandLine({"render", kExample, "--fill-table", "3", "--png", "a.png"}).panel.fillBands);
    EXPECT_FALSE(parseCommandLine({"render", kExample, "--png", "a.png"}).panel.fillBands);
    const CommandLine wrong = parseCommandLine({"render", kExample, "--fill-table", "B", "--png", "a.png"});
    EXPECT_EQ(wrong.mode, CommandLine::Mode::Usage);
    EXPECT_NE(wrong.error.find("--fill-table"), std::string::npos) << wrong.error;
}

} // namespace
} // namespace tervane
