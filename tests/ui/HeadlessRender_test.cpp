#include "ui/HeadlessRender.h"

#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <QFileInfo>
#include <QImage>

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

TEST(HeadlessRender, ExampleOpensBuildsAndSavesTheDrawingArea)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    CommandLine line = renderLine(TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D");
    line.pngPath = folder.file(QStringLiteral("out.png")).toStdString();
    line.bmpPath = folder.file(QStringLiteral("out.bmp")).toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(runRender(line, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "wrote " + line.pngPath + "\nwrote " + line.bmpPath + "\n");
    EXPECT_TRUE(err.str().empty());
    for (const char* name : {"dzx.NDX", "dzx.XYZ", "dzx.OXY", "dzx.DH"})
        EXPECT_TRUE(QFileInfo::exists(folder.file(QString::fromLatin1(name)))) << name;
    const QImage png(QString::fromStdString(line.pngPath));
    EXPECT_EQ(png.size(), QSize(631, 494));
    EXPECT_EQ(QImage(QString::fromStdString(line.bmpPath)).size(), QSize(631, 494));
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
    // The drawing is still saved, showing how far the run came.
    EXPECT_EQ(out.str(), "wrote " + line.pngPath + "\n");
}

TEST(HeadlessRender, PathWithABlankAndUnwritableImageFail)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    std::ostringstream out, err;
    EXPECT_EQ(runRender(renderLine("/tmp/a b/x.D3D"), out, err), 1);
    EXPECT_NE(err.str().find("这个目录或文件是不合规定的！"), std::string::npos);

    CommandLine line = renderLine(TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D");
    line.pngPath = folder.file(QStringLiteral("no/such/folder/out.png")).toStdString();
    std::ostringstream out2, err2;
    EXPECT_EQ(runRender(line, out2, err2), 1);
    EXPECT_NE(err2.str().find("cannot write"), std::string::npos);
}

} // namespace
} // namespace tervane
