#include "app/Headless.h"

#include "ui/CurrentFolder.h"
#include "ui/PaintedPixels.h"
#include "ui/QtTestApp.h"

#include <QFile>
#include <QImage>

#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

namespace tervane {
namespace {

using Mode = CommandLine::Mode;
using test::paintedPixels;
using namespace std::string_literals;

TEST(View3dCommandLine, EveryOptionReachesTheJob)
{
    const CommandLine line = parseCommandLine(
        {"view3d", "hill.D3D", "--angle", "225", "--height", "60", "--levels", "5", "--zoom", "100", "--table", "A",
         "--no-grid", "--no-float", "--preview", "--brightness", "10,-20,99", "--background", "1,2,3", "--seed", "4",
         "--png", "o.png", "--bmp", "o.bmp", "--svg", "o.svg", "--pdf", "o.pdf"});
    ASSERT_EQ(line.mode, Mode::View3d) << line.error;
    const View3dJob& job = line.view3d;
    EXPECT_EQ(std::tie(job.file, job.angle, job.height, job.table, job.levelCount, job.zoom),
              std::tuple("hill.D3D"s, "225"s, "60"s, "A"s, 5, 100));
    EXPECT_EQ(std::tie(job.grid, job.floating, job.preview), std::tuple(false, false, true));
    EXPECT_EQ(job.brightness, (std::array<int, 3>{10, -20, 99}));
    EXPECT_EQ(job.background, rgb(1, 2, 3));
    EXPECT_EQ(job.seed, 4u);
    EXPECT_EQ(std::tie(job.pngPath, job.bmpPath, job.svgPath, job.pdfPath),
              std::tuple("o.png"s, "o.bmp"s, "o.svg"s, "o.pdf"s));
}

TEST(View3dCommandLine, ValuesTheViewWouldRefuseAreRefused)
{
    std::vector<std::vector<std::string>> wrong = {{"view3d"}, {"view3d", "h.D3D"},
                                                   {"view3d", "h.D3D", "g.D3D", "--png", "o.png"}};
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"--angle", "045"}, {"--angle", "0"}, {"--height", "201"}, {"--levels", "1"}, {"--zoom", "99"},
             {"--table", "B"}, {"--brightness", "100,0,0"}, {"--background", "1,2"}, {"--network", "raw"}, {"--png"}}) {
        bad.insert(bad.begin(), {"view3d", "h.D3D", "--png", "o.png"});
        wrong.push_back(bad);
    }
    for (const auto& args : wrong) {
        const CommandLine line = parseCommandLine(args);
        EXPECT_EQ(line.mode, Mode::Usage) << args.back();
        EXPECT_FALSE(line.error.empty()) << args.back();
    }
}

TEST(View3dCommand, BuildsThe3dNetworkAndDrawsTheSurface)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const std::string example = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";
    auto run = [&](std::vector<std::string> args, const char* png, int status) {
        args.insert(args.end(), {"--seed", "1", "--png", folder.file(png).toStdString()});
        std::ostringstream out, err;
        EXPECT_EQ(runView3d(parseCommandLine(args), out, err), status) << err.str();
        EXPECT_EQ(err.str().empty(), status == 0) << err.str();
        return QImage(folder.file(png));
    };
    const QImage full = run({"view3d", example}, "full.png", 0);
    EXPECT_EQ(full.size(), QSize(511, 487));
    EXPECT_TRUE(QFile::exists(folder.file("D3d.dzx")));
    const QImage preview = run({"view3d", example, "--preview"}, "preview.png", 0);
    const QImage grounded = run({"view3d", example, "--no-float", "--no-grid"}, "grounded.png", 0);
    EXPECT_GT(paintedPixels(full), 5000);
    EXPECT_LT(paintedPixels(preview), paintedPixels(full)) << "the preview is sparse";
    EXPECT_GT(paintedPixels(grounded), paintedPixels(full)) << "the outer ring is drawn down to the base";
    run({"view3d", folder.file("none.D3D").toStdString()}, "none.png", 1);
}

// A broken table of the user's is passed over for the shipped one, with a
// notice naming it, and the surface is still drawn in colour.
TEST(View3dCommand, AnUnusableUserTableFallsBackToTheShippedOneWithANotice)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const std::string example = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";
    const std::pair<std::string, std::string> tables[] = {
        {std::string(), "是空的"},
        {std::string(4, '\x7F'), "不完整"},
        {std::string(5000, '\0'), "大于 4 KB"},
    };
    for (const auto& [bytes, reason] : tables) {
        QFile table(folder.file("color0.DAT"));
        ASSERT_TRUE(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
        table.write(bytes.data(), static_cast<qint64>(bytes.size()));
        table.close();
        std::ostringstream out, err;
        const auto line =
            parseCommandLine({"view3d", example, "--seed", "1", "--png", folder.file("t.png").toStdString()});
        EXPECT_EQ(runView3d(line, out, err), 0) << reason;
        EXPECT_NE(err.str().find("color0.DAT " + reason), std::string::npos) << err.str();
        EXPECT_GT(paintedPixels(QImage(folder.file("t.png"))), 5000) << reason;
        QFile::remove(folder.file("t.png"));
    }
}

} // namespace
} // namespace tervane
