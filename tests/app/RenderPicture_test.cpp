#include "app/Headless.h"

#include "engine/survey/SurveyFile.h"
#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QProcess>

#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

namespace tervane {
namespace {

const QColor paper(250, 240, 200);

// A plain scan of paper colour, in the format its name says, and a survey
// of six points picked on it ("site.D3D"). Picture units: 15 to a pixel, Y
// up from the frame's bottom edge.
void writeScanAndSurvey(const test::InTemporaryFolder& folder, const QString& scanName)
{
    QImage scan(700, 520, QImage::Format_RGB32);
    scan.fill(paper);
    ASSERT_TRUE(scan.save(folder.file(scanName)));
    std::vector<SurveyRecord> points;
    const double spots[][3] = {{1500, 1500, 10}, {7500, 1200, 14}, {8000, 6000, 22},
                               {1200, 6300, 17}, {4500, 3600, 30}, {3000, 4800, 12}};
    for (const auto& p : spots)
        points.push_back({std::to_string(p[0]), std::to_string(p[1]), std::to_string(p[2]), ""});
    ASSERT_TRUE(writeSurveyFile(folder.file(QStringLiteral("site.D3D")).toStdString(), points));
}

// `render --picture` draws the network over the picture, each point at the
// picture pixel it was picked on; a picture that does not load stops the run.
TEST(RenderPicture, DrawsTheMapOverThePictureInItsFrame)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    writeScanAndSurvey(folder, QStringLiteral("scan.png"));
    const std::string data = folder.file(QStringLiteral("site.D3D")).toStdString();

    const std::string png = folder.file(QStringLiteral("out.png")).toStdString();
    const auto render = [&](const char* picture, int status) {
        std::ostringstream out, err;
        EXPECT_EQ(runRender(parseCommandLine({"render", data, "--seed", "1", "--no-legend", "--picture",
                                              folder.file(picture).toStdString(), "--png", png}),
                            out, err),
                  status) << err.str();
        return err.str();
    };
    EXPECT_NE(render("none.jpg", 1).find("cannot load the picture"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(png)));
    render("scan.png", 0);

    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(631, 497));
    EXPECT_EQ(image.pixelColor(630, 496), paper) << "the picture shows where nothing is drawn";
    EXPECT_EQ(image.pixelColor(3, 3), paper) << "no ruler strip over the picture";
    // The hull edge from (1500, 1500) to (7500, 1200) runs through pixel rows
    // (7410 - 1500) / 15 = 394 .. 414 between columns 100 and 500.
    int drawn = 0;
    for (int x = 110; x < 490; x += 20)
        for (int y = 385; y < 425; ++y)
            drawn += image.pixelColor(x, y) != paper ? 1 : 0;
    EXPECT_GE(drawn, 19) << "a line crosses every sampled column";
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("photofiles1.txt"))));
}

// The program as a user runs it. A render without a picture runs with no Qt
// plugins, as its PNG and BMP need none; one over a JPEG picture keeps them,
// as only a plugin reads JPEG.
TEST(RenderPicture, TheProgramReadsAJpegPictureAndWritesWithoutOne)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    writeScanAndSurvey(folder, QStringLiteral("scan.jpg"));

    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/tervane");
    const auto run = [&](const QStringList& extra) {
        QProcess p;
        p.setWorkingDirectory(folder.path());
        p.start(program, QStringList{"render", "site.D3D", "--seed", "1", "--no-legend"} + extra);
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    };
    run({"--png", "plain.png", "--bmp", "plain.bmp"});
    for (const char* name : {"plain.png", "plain.bmp"}) {
        const QImage image(folder.file(QString::fromLatin1(name)));
        EXPECT_EQ(image.size(), QSize(631, 497)) << name;
        EXPECT_NE(image.pixelColor(630, 496), paper) << name;
    }
    run({"--picture", "scan.jpg", "--png", "over.png"});
    const QImage over(folder.file(QStringLiteral("over.png")));
    ASSERT_EQ(over.size(), QSize(631, 497));
    // JPEG keeps a flat colour to within a step or two.
    const QColor corner = over.pixelColor(630, 496);
    EXPECT_LE(std::abs(corner.red() - paper.red()) + std::abs(corner.green() - paper.green()) +
                  std::abs(corner.blue() - paper.blue()),
              6)
        << "the picture shows where nothing is drawn";
}

} // namespace
} // namespace tervane
