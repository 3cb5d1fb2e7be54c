#include "app/Headless.h"

#include "engine/survey/DataCheck.h"
#include "support/ScratchDir.h"
#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <QFile>

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
