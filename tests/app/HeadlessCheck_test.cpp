#include "app/Headless.h"

#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <QFile>

#include <sstream>

#include <gtest/gtest.h>

namespace tervane {
namespace {

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

int check(const std::string& path, std::string* report = nullptr)
{
    std::ostringstream out, err;
    const int status = runCheck(parseCommandLine({"check", path}), out, err);
    if (report)
        *report = out.str() + err.str();
    return status;
}

TEST(HeadlessCheck, ExitStatusSaysWhetherTheFileDraws)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const QString two = folder.file(QStringLiteral("two.D3D"));
    QFile f(two);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(130, ' '));
    f.close();
    std::string report;
    EXPECT_EQ(check(kExample, &report), 0);
    EXPECT_NE(report.find("未发现问题\n"), std::string::npos) << report;
    EXPECT_EQ(check(two.toStdString(), &report), 1);
    EXPECT_NE(report.find("只有 2 个记录，少于 6 个，无法建立网络\n"), std::string::npos) << report;
    EXPECT_EQ(check(folder.file(QStringLiteral("none.D3D")).toStdString(), &report), 3);
    EXPECT_NE(report.find("文件不存在！"), std::string::npos) << report;
}

TEST(HeadlessCheck, RenderWritesAVectorDrawing)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const std::string svg = folder.file(QStringLiteral("map.svg")).toStdString();
    std::ostringstream out, err;
    const CommandLine render = parseCommandLine({"render", kExample, "--seed", "1", "--svg", svg});
    ASSERT_EQ(runRender(render, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("wrote " + svg + "\n"), std::string::npos) << out.str();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(svg)));
}

} // namespace
} // namespace tervane
