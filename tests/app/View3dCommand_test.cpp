#include "app/Headless.h"

#include "ui/CurrentFolder.h"
#include "ui/PaintedPixels.h"
#include "ui/QtTestApp.h"

#include <QFile>
#include <QImage>

#include <sstream>

#include <gtest/gtest.h>

namespace tervane {
namespace {

using Mode = CommandLine::Mode;

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

TEST(View3dCommandLine, EveryOptionReachesTheJob)
{
    const CommandLine line = parseCommandLine({"view3d", "hill.D3D", "--angle", "225", "--height", "60", "--levels",
                                               "5", "--zoom", "100", "--table", "A", "--no-grid", "--no-float",
                                               "--preview", "--brightness", "10,-20,99", "--background",
                                               "1,2,3", "--seed", "4", "--png", "o.png", "--bmp", "o.bmp"});
    ASSERT_EQ(line.mode, Mode::View3d) << line.error;
    const View3dJob& job = line.view3d;
    EXPECT_EQ(job.file, "hill.D3D");
    EXPECT_EQ(job.angle, "225");
    EXPECT_EQ(job.height, "60");
    EXPECT_EQ(job.levelCount, 5);
    EXPECT_EQ(job.zoom, 100);
    EXPECT_EQ(job.table, "A");
    EXPECT_FALSE(job.grid);
    EXPECT_FALSE(job.floating);
    EXPECT_TRUE(job.preview);
    EXPECT_EQ(job.brightness, (std::array<int, 3>{10, -20, 99}));
    EXPECT_EQ(job.background, rgb(1, 2, 3));
    EXPECT_EQ(job.seed, 4u);
    EXPECT_EQ(job.pngPath, "o.png");
    EXPECT_EQ(job.bmpPath, "o.bmp");

    const View3dJob defaults = parseCommandLine({"view3d", "h.D3D", "--bmp", "o.bmp"}).view3d;
    EXPECT_EQ(defaults.angle, "45");
    EXPECT_TRUE(defaults.grid && defaults.floating && !defaults.preview);
    EXPECT_NE(usageText().find("tervane view3d"), std::string::npos);
}

TEST(View3dCommandLine, ValuesTheViewWouldRefuseAreRefused)
{
    const std::vector<std::vector<std::string>> wrong = {
        {"view3d"},
        {"view3d", "h.D3D"},
        {"view3d", "h.D3D", "g.D3D", "--png", "o.png"},
        {"view3d", "h.D3D", "--png", "o.png", "--angle", "045"},
        {"view3d", "h.D3D", "--png", "o.png", "--angle", "0"},
        {"view3d", "h.D3D", "--png", "o.png", "--height", "201"},
        {"view3d", "h.D3D", "--png", "o.png", "--levels", "1"},
        {"view3d", "h.D3D", "--png", "o.png", "--zoom", "99"},
        {"view3d", "h.D3D", "--png", "o.png", "--table", "B"},
        {"view3d", "h.D3D", "--png", "o.png", "--brightness", "100,0,0"},
        {"view3d", "h.D3D", "--png", "o.png", "--background", "1,2"},
        {"view3d", "h.D3D", "--png", "o.png", "--network", "raw"},
        {"view3d", "h.D3D", "--png"},
    };
    for (const auto& args : wrong) {
        const CommandLine line = parseCommandLine(args);
        EXPECT_EQ(line.mode, Mode::Usage) << args.back();
        EXPECT_FALSE(line.error.empty()) << args.back();
    }
}

using test::paintedPixels;

TEST(View3dCommand, BuildsThe3dNetworkAndDrawsTheSurface)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    auto run = [&](std::vector<std::string> options, const char* name) {
        std::vector<std::string> args = {"view3d", kExample, "--seed", "1", "--png", folder.file(name).toStdString()};
        args.insert(args.end(), options.begin(), options.end());
        const CommandLine line = parseCommandLine(args);
        std::ostringstream out, err;
        EXPECT_EQ(runView3d(line, out, err), 0) << err.str();
        return QImage(folder.file(name));
    };
    const QImage full = run({}, "full.png");
    EXPECT_EQ(full.size(), QSize(511, 487));
    EXPECT_TRUE(QFile::exists(folder.file("D3d.dzx")));
    const QImage preview = run({"--preview"}, "preview.png");
    const QImage grounded = run({"--no-float", "--no-grid"}, "grounded.png");
    EXPECT_GT(paintedPixels(full), 5000);
    EXPECT_LT(paintedPixels(preview), paintedPixels(full)) << "the preview is sparse";
    EXPECT_GT(paintedPixels(grounded), paintedPixels(full)) << "the outer ring is drawn down to the base";

    std::ostringstream out, err;
    const CommandLine missing = parseCommandLine({"view3d", folder.file("none.D3D").toStdString(), "--png", "x.png"});
    EXPECT_EQ(runView3d(missing, out, err), 1);
    EXPECT_FALSE(err.str().empty());
}

} // namespace
} // namespace tervane
