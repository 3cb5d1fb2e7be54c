#include "app/CommandLine.h"
#include "app/Headless.h"

#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tervane {
namespace {

TEST(ImportCommand, ReadsItsOptionsOrSaysWhatIsWrong)
{
    const struct {
        std::vector<std::string> args;
        bool usage;
    } cases[] = {
        {{"import", "a.csv", "b.D3D"}, false},
        {{"import", "a.csv", "b.D3D", "--preset", "name-code-enh", "--thin", "--skip", "2"}, false},
        {{"import", "a.txt", "b.D3D", "--columns", "E,N,H,name", "--delimiter", "tab", "--encoding", "gbk"}, false},
        {{"import", "a.shp", "b.D3D", "--z-field", "elev", "--note-field", "id"}, false},
        {{"import", "a.csv"}, true},
        {{"import", "a.csv", "b.csv"}, true},
        {{"import", "a.csv", "b.D3D", "c.D3D"}, true},
        {{"import", "a.csv", "b.D3D", "--preset", "nez"}, true},
        {{"import", "a.csv", "b.D3D", "--columns", "1,2"}, true},
        {{"import", "a.csv", "b.D3D", "--columns", "0,1,2"}, true},
        {{"import", "a.csv", "b.D3D", "--delimiter", "pipe"}, true},
        {{"import", "a.csv", "b.D3D", "--encoding", "latin1"}, true},
        {{"import", "a.csv", "b.D3D", "--png", "x.png"}, true},
        {{"render", "a.csv", "--contours", "c.dxf", "--export-points", "--crs", "EPSG:4547"}, false},
        {{"render", "a.csv", "--png", "a.png", "--preset", "xyz"}, false},
        {{"render", "a.csv", "--crs", "4547"}, true},
        {{"check", "a.csv", "--thin"}, false},
        {{"play", "a.PLT", "--png", "a.png", "--thin"}, true},
    };
    for (const auto& c : cases) {
        const CommandLine line = parseCommandLine(c.args);
        EXPECT_EQ(line.mode == CommandLine::Mode::Usage, c.usage) << c.args[0] << ' ' << c.args.back() << ": " << line.error;
    }
    const CommandLine line = parseCommandLine({"import", "a.csv", "b.D3D", "--preset", "name-enh", "--columns", "3,4,5",
                                               "--delimiter", "semicolon", "--skip", "2", "--decimal-comma", "--thin"});
    ASSERT_EQ(line.mode, CommandLine::Mode::Import);
    EXPECT_EQ(line.file, "a.csv");
    EXPECT_EQ(line.importOutput, "b.D3D");
    EXPECT_EQ(line.import.preset, ImportPreset::NameEnh);
    EXPECT_EQ(line.import.columns, (std::vector<std::string>{"3", "4", "5"}));
    EXPECT_EQ(line.import.delimiter, ';');
    EXPECT_EQ(line.import.skip, 2);
    EXPECT_TRUE(line.import.decimalComma);
    EXPECT_TRUE(line.import.thin);
    const CommandLine render = parseCommandLine({"render", "a.csv", "--contours", "c.gpkg", "--export-network", "--crs",
                                                 "EPSG:4547"});
    EXPECT_EQ(render.contoursPath, "c.gpkg");
    EXPECT_TRUE(render.exportNetwork);
    EXPECT_FALSE(render.exportPoints);
    EXPECT_EQ(render.crs, "EPSG:4547");
}

void write(const QString& path, const std::string& bytes)
{
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

std::string lattice(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(i % 211) + " " + std::to_string(i / 211) + " " + std::to_string((i * 7) % 13) + "\n";
    return text;
}

// Exit status, and whether the survey file is there afterwards, for each
// kind of input; a refusal says why on standard error.
TEST(ImportCommand, ExitStatusesAndNoOutputOnRefusal)
{
    test::InTemporaryFolder folder;
    const std::string good = "name,E,N,H\r\nA,1,2,3\r\nB,4,5,6\r\nC,7,1,2\r\n";
    write(folder.file("good.csv"), good);
    write(folder.file("bad.csv"), "1,2,3\n4,5\n7,8,zz\n");
    write(folder.file("many.xyz"), lattice(40000));
    const struct {
        std::vector<std::string> args;
        int status;
        bool written;
        const char* said;  // on standard error when refused
    } cases[] = {
        {{"import", "good.csv", "out.D3D"}, 0, true, ""},
        {{"import", "bad.csv", "out.D3D"}, 1, false, "第 3 行"},
        {{"import", "many.xyz", "out.D3D"}, 1, false, "40000"},
        {{"import", "many.xyz", "out.D3D", "--thin"}, 0, true, ""},
        {{"import", "missing.csv", "out.D3D"}, 1, false, "无法读取"},
        {{"import", "good.csv", "./good.csv"}, 2, false, "good.csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args.back());
        QFile::remove(folder.file("out.D3D"));
        const CommandLine line = parseCommandLine(c.args);
        std::ostringstream out, err;
        const int status = line.mode == CommandLine::Mode::Usage ? 2 : runImport(line, out, err);
        EXPECT_EQ(status, c.status) << err.str() << line.error;
        EXPECT_EQ(QFileInfo::exists(folder.file("out.D3D")), c.written);
        if (c.status == 1) {
            EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
            EXPECT_EQ(err.str().rfind("tervane: ", 0), 0u);
        }
    }
    EXPECT_EQ(QFileInfo(folder.file("good.csv")).size(), static_cast<qint64>(good.size()));
    // Nothing but the inputs is left: no half-written or temporary file.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3);
}

TEST(ImportCommand, CheckAndRenderTakeAFileToImport)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    write(folder.file("site.v1.csv"), "1,1,1\n5,1,2\n3,4,3\n1,6,4\n6,6,5\n2,3,2\n7,3,4\n4,7,3\n");
    write(folder.file("bad.csv"), "1,1,1\n5,1\n");
    std::ostringstream out, err;
    EXPECT_EQ(runCheck(parseCommandLine({"check", "bad.csv"}), out, err), 1);
    EXPECT_NE(out.str().find("第 2 行"), std::string::npos) << out.str();
    out.str("");
    EXPECT_EQ(runCheck(parseCommandLine({"check", "site.v1.csv"}), out, err), 0) << out.str() << err.str();
    EXPECT_NE(out.str().find("site.v1.csv"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find(".import-"), std::string::npos) << out.str();

    const CommandLine render = parseCommandLine({"render", "site.v1.csv", "--seed", "1", "--hpgl", "--png", "map.png"});
    EXPECT_EQ(runRender(render, out, err), 0) << err.str();
    // The plot file is named after the input, beside it.
    EXPECT_TRUE(QFileInfo::exists(folder.file("site.PLT")));
    EXPECT_TRUE(QFileInfo::exists(folder.file("map.png")));
    EXPECT_EQ(runRender(parseCommandLine({"render", "bad.csv", "--png", "bad.png"}), out, err), 1);
    EXPECT_FALSE(QFileInfo::exists(folder.file("bad.png")));
    EXPECT_TRUE(QDir(folder.path()).entryList({"*.import-*"}, QDir::Files).isEmpty());
}

} // namespace
} // namespace tervane
