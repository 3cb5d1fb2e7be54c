#include "app/Headless.h"

#include "engine/survey/DataCheck.h"
#include "support/ScratchDir.h"
#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <sstream>

#include <gtest/gtest.h>

namespace tervane {
namespace {

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

// The exit status says whether the file draws; the report goes to standard
// output, or to standard error when the file cannot be read.
TEST(HeadlessCheck, ExitStatusSaysWhetherTheFileDraws)
{
    test::InTemporaryFolder folder;
    const std::string two = folder.file(QStringLiteral("two.D3D")).toStdString();
    test::writeBytes(two, std::string(130, ' '));
    const struct {
        std::string path;
        int status;
    } cases[] = {{kExample, 0}, {two, 1}, {folder.file(QStringLiteral("none.D3D")).toStdString(), 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::ostringstream out, err;
        EXPECT_EQ(runCheck(parseCommandLine({"check", c.path}), out, err), c.status);
        EXPECT_EQ((c.status == 3 ? err : out).str(), checkSurveyFile(c.path).text());
        EXPECT_TRUE((c.status == 3 ? out : err).str().empty());
    }
}

// One 65-byte record: X, Y and the value in 15 characters each, a blank note.
std::string record(const std::string& x, const std::string& y, const std::string& z)
{
    const auto field = [](const std::string& t) { return t + std::string(15 - t.size(), ' '); };
    return field(x) + field(y) + field(z) + std::string(20, ' ');
}

// Eight points in general position with values from `low` by `step`.
std::string spreadPoints(double low, double step)
{
    const int xy[8][2] = {{0, 0}, {10, 0}, {0, 10}, {10, 10}, {5, 3}, {3, 7}, {7, 6}, {2, 2}};
    std::string bytes;
    for (int i = 0; i < 8; ++i)
        bytes += record(std::to_string(xy[i][0]), std::to_string(xy[i][1]), std::to_string(low + i * step));
    return bytes;
}

std::string pngBytes()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// What check says of a file and what render does with it under the same
// network kind and interval agree: check 0 when render draws, 1 when it
// refuses.
TEST(HeadlessCheck, CheckPassesExactlyWhatRenderDraws)
{
    test::ensureQtApp();
    std::string collinear, abc;
    for (int i = 0; i < 8; ++i) {
        collinear += record(std::to_string(i), std::to_string(i), std::to_string(i * i));
        abc += record("abc", "abc", "abc");
    }
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> options;
        int check;
    } cases[] = {
        {"the example", test::readBytes(kExample), {}, 0},
        {"PNG bytes", pngBytes(), {}, 1},
        {"fields of abc", abc, {}, 1},
        {"too many levels at the default interval", spreadPoints(0, 5000), {}, 1},
        {"too many levels at a small interval", spreadPoints(0, 1), {"--interval", "0.0001"}, 1},
        {"a wide interval brings the levels back", spreadPoints(0, 5000), {"--interval", "10"}, 0},
        {"collinear, raw network", collinear, {"--network", "raw"}, 1},
        {"collinear, optimized network", collinear, {"--network", "optimized"}, 0},
        {"collinear, 3D network", collinear, {"--network", "3d"}, 0},
        {"five points and a blank record", spreadPoints(0, 1).substr(0, 5 * 65) + record("", "", ""), {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::InTemporaryFolder folder;
        const std::string data = folder.file(QStringLiteral("data.D3D")).toStdString();
        test::writeBytes(data, c.bytes);
        std::vector<std::string> check = {"check", data}, render = {"render", data, "--seed", "1", "--png",
                                                                           folder.file(QStringLiteral("map.png")).toStdString()};
        check.insert(check.end(), c.options.begin(), c.options.end());
        render.insert(render.end(), c.options.begin(), c.options.end());
        std::ostringstream checkOut, renderOut, err;
        EXPECT_EQ(runCheck(parseCommandLine(check), checkOut, err), c.check) << checkOut.str();
        EXPECT_EQ(runRender(parseCommandLine(render), renderOut, err), c.check) << err.str();
    }
}

TEST(HeadlessCheck, RenderWritesAVectorDrawing)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const std::string svg = folder.file(QStringLiteral("map.svg")).toStdString();
    std::ostringstream out, err;
    ASSERT_EQ(runRender(parseCommandLine({"render", kExample, "--seed", "1", "--svg", svg}), out, err), 0) << err.str();
    EXPECT_NE(out.str().find("wrote " + svg + "\n"), std::string::npos) << out.str();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(svg)));
}

} // namespace
} // namespace tervane
