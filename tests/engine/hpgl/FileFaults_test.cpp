#include "engine/hpgl/PlotRecording.h"
#include "engine/view3d/LevelColours.h"

#include "engine/hpgl/HpglFixture.h"
#include "support/ColourTables.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <sys/stat.h>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

std::string table(std::initializer_list<Colour> colours) { return test::colourTableBytes(colours); }

const std::string kShippedTable = table({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
const std::string kOldPlot = "IN;\r\nPA:\r\nSP1;\r\nan older plot\r\n";

// The places every case works in: a user folder and a shipped folder of
// colour tables and glyphs, and a survey whose plot file already exists.
// Files made with keep() must come out of the case byte for byte.
struct Scene {
    ScratchDir dir;
    std::string user = dir.file("user");
    std::string shipped = dir.file("shipped");
    std::string plot = dir.file("hill.PLT");
    test::HpglContext s;
    std::map<std::string, std::string> kept;

    Scene()
    {
        std::filesystem::create_directory(user);
        std::filesystem::create_directory(shipped);
        for (const char c : std::string("0123456789.-"))
            writeBytes(shipped + "/" + glyphFileName(c), "SP0,0\n0,0\n24,36\n");
        writeBytes(shipped + "/color5.DAT", kShippedTable);
        writeBytes(shipped + "/color0.DAT", kShippedTable);
        keep(plot, kOldPlot);
        s.state.dataFileName = dir.file("hill.D3D");
        s.state.plotScale = 1;
        s.panel.check15 = true;
        s.panel.valueScale = 100;
    }

    void keep(const std::string& path, const std::string& bytes)
    {
        writeBytes(path, bytes);
        kept[path] = bytes;
    }

    // Loads table 5 from the user folder, then the shipped one: the notice,
    // or "drawn from <path>" when the shipped table served silently.
    std::string loadTable(const std::string& name = "5")
    {
        LevelColours colours({user, shipped});
        const ColourTableLoad load = colours.load(name);
        if (load.usable() && colours.colour(9) != 10u)
            return "wrong colours from " + load.path;
        return load.notice;
    }

    // A whole recording run over the glyphs of `glyphFolder`; the message
    // the run would show, or "" when it completed.
    std::string record(const std::string& glyphFolder, FileWriteOps ops = systemFileWriteOps())
    {
        PlotRecording rec(s.ctx, GlyphSet({glyphFolder}), std::move(ops));
        const bool whole = rec.start() && rec.curve({{1, 1}, {2, 2}}, false) &&
                           rec.writePointsAndLabels({{10, 20, 5.5}, {30, 40, -1.25}});
        rec.end();
        EXPECT_FALSE(s.panel.check15);
        return whole ? std::string() : rec.faultMessage();
    }
};

FileWriteOps failingWrite(int err)
{
    FileWriteOps ops = systemFileWriteOps();
    ops.write = [err](int, const void*, std::size_t) -> ssize_t {
        errno = err;
        return -1;
    };
    return ops;
}

FileWriteOps failingRename(int err)
{
    FileWriteOps ops = systemFileWriteOps();
    ops.rename = [err](const char*, const char*) {
        errno = err;
        return -1;
    };
    return ops;
}

TEST(FileFaults, EachCauseIsNamedAndTheOldFilesStay)
{
    struct Case {
        const char* name;
        std::function<std::string(Scene&)> act;  // returns the message shown
        std::vector<std::string> words;          // what the message must hold
    };
    const Case cases[] = {
        {"empty colour table",
         [](Scene& sc) {
             sc.keep(sc.user + "/color5.DAT", "");
             return sc.loadTable();
         },
         {"user/color5.DAT", "是空的", "shipped/color5.DAT"}},
        {"short colour table",
         [](Scene& sc) {
             sc.keep(sc.user + "/color5.DAT", table({11, 12, 13}));
             return sc.loadTable();
         },
         {"user/color5.DAT", "不完整", "shipped/color5.DAT"}},
        {"NaN in a colour table",
         [](Scene& sc) {
             sc.keep(sc.user + "/color5.DAT", table({11, 12, 13, 14}) + std::string("\x00\x00\xC0\x7F", 4) +
                                                  table({16, 17, 18, 19, 20}));
             return sc.loadTable();
         },
         {"user/color5.DAT", "不是颜色", "shipped/color5.DAT"}},
        {"oversize colour table",
         [](Scene& sc) {
             sc.keep(sc.user + "/color5.DAT", std::string(kLargestColourFile + 4, '\0'));
             return sc.loadTable();
         },
         {"user/color5.DAT", "4 KB", "shipped/color5.DAT"}},
        {"colour table as a FIFO",
         [](Scene& sc) {
             EXPECT_EQ(::mkfifo((sc.user + "/color5.DAT").c_str(), 0600), 0);
             return sc.loadTable();
         },
         {"user/color5.DAT", "不是普通文件", "shipped/color5.DAT"}},
        {"no usable colour table anywhere",
         [](Scene& sc) {
             sc.keep(sc.user + "/colorA.DAT", table({1}));
             return sc.loadTable("A");
         },
         {"user/colorA.DAT", "找不到可用的色表 colorA.DAT"}},
        {"colour block that cannot be stored",
         [](Scene& sc) {
             sc.keep(sc.user + "/color0.DAT", table({21, 22, 23, 24, 25, 26, 27, 28, 29, 30}));
             LevelColours colours({sc.user, sc.shipped});
             colours.load("0");
             const BlockSave save = colours.saveBlock(3, 255, failingWrite(ENOSPC));
             EXPECT_EQ(colours.colour(3), 24u) << "the slot keeps what is stored";
             return save.message;
         },
         {"磁盘已满", "user/color0.DAT"}},
        {"oversize glyph file",
         [](Scene& sc) {
             sc.keep(sc.shipped + "/55.zk", "SP0,0\n" + std::string(kLargestGlyphFile, '1'));
             return sc.record(sc.shipped);
         },
         {"shipped/55.zk", "64 KB", "hill.PLT"}},
        {"missing glyph file",
         [](Scene& sc) { return sc.record(sc.user); },
         {"找不到字形文件 55.zk", "hill.PLT"}},
        {"glyph file without strokes",
         [](Scene& sc) {
             sc.keep(sc.shipped + "/DIAN0.zk", "\r\n");
             return sc.record(sc.shipped);
         },
         {"shipped/DIAN0.zk", "损坏"}},
        {"plot file name is a FIFO",
         [](Scene& sc) {
             std::filesystem::remove(sc.plot);
             sc.kept.erase(sc.plot);
             EXPECT_EQ(::mkfifo(sc.plot.c_str(), 0600), 0);
             const std::string said = sc.record(sc.shipped);
             EXPECT_TRUE(std::filesystem::is_fifo(sc.plot));
             return said;
         },
         {"不是一个普通文件", "hill.PLT"}},
        {"plot file name is a folder",
         [](Scene& sc) {
             std::filesystem::remove(sc.plot);
             sc.kept.erase(sc.plot);
             std::filesystem::create_directory(sc.plot);
             const std::string said = sc.record(sc.shipped);
             EXPECT_TRUE(std::filesystem::is_empty(sc.plot));
             return said;
         },
         {"不是一个普通文件", "hill.PLT"}},
        {"disk full while the plot file is written",
         [](Scene& sc) { return sc.record(sc.shipped, failingWrite(ENOSPC)); },
         {"磁盘已满", "hill.PLT"}},
        {"plot file folder refuses the rename",
         [](Scene& sc) { return sc.record(sc.shipped, failingRename(EACCES)); },
         {"只读", "hill.PLT"}},
    };
    for (const Case& c : cases) {
        Scene scene;
        const std::string said = c.act(scene);
        for (const std::string& word : c.words)
            EXPECT_NE(said.find(word), std::string::npos) << c.name << ": " << said << " lacks " << word;
        for (const auto& [path, bytes] : scene.kept)
            EXPECT_EQ(readBytes(path), bytes) << c.name << ": " << path;
        for (const auto& entry : std::filesystem::directory_iterator(scene.dir.path()))
            EXPECT_EQ(entry.path().filename().string().rfind(kReplaceCopyPrefix, 0), std::string::npos)
                << c.name << ": a temporary was left behind";
    }
}

// The same scene without a fault: the run completes and its file replaces
// the old plot, so the cases above fail for their fault alone.
TEST(FileFaults, WithoutAFaultTheRecordingReplacesTheOldPlot)
{
    Scene scene;
    EXPECT_EQ(scene.record(scene.shipped), "");
    const std::string plot = readBytes(scene.plot);
    EXPECT_EQ(plot.rfind("IN;\r\nPA:\r\nSP1;\r\nSP0;\r\nPU1,1;\r\n", 0), 0u);
    EXPECT_EQ(plot.substr(plot.size() - 12), "PU0,0;SP0;\r\n");
    EXPECT_EQ(scene.loadTable(), "");
}

} // namespace
} // namespace tervane
