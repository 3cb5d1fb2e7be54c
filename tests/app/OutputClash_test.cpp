#include "app/Headless.h"
#include "app/OutputClash.h"

#include "support/ScratchDir.h"
#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

namespace tervane {
namespace {

namespace fs = std::filesystem;
using Mode = CommandLine::Mode;

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

// A headless command line run in-process as main runs it: the exit status,
// with standard error in `err`.
int runLine(const std::vector<std::string>& args, std::string& err)
{
    const CommandLine line = parseCommandLine(args);
    std::ostringstream out, errors;
    int status = 2;
    if (line.mode == Mode::Render)
        status = runRender(line, out, errors);
    else if (line.mode == Mode::Play)
        status = runPlay(line, out, errors);
    else if (line.mode == Mode::View3d)
        status = runView3d(line, out, errors);
    else
        errors << "tervane: " << line.error << '\n';
    err = errors.str();
    return status;
}

// How an output names the input it clashes with.
enum class Way { Same, HardLink, SymLink, Resolved };

// Another name of `path` made `way`: a new hard or symbolic link beside it,
// or a path through a folder that does not exist, which only resolves to it.
std::string otherName(const std::string& path, Way way)
{
    const fs::path p(path);
    const fs::path link = p.parent_path() / ("other-" + p.filename().string());
    switch (way) {
    case Way::Same: return path;
    case Way::HardLink: fs::create_hard_link(p, link); return link.string();
    case Way::SymLink: fs::create_symlink(p, link); return link.string();
    case Way::Resolved: return (p.parent_path() / "not-made" / ".." / p.filename()).string();
    }
    return path;
}

// Each output flag against each kind of input, named each way: the run is
// refused as a usage error before anything is written, the input is whole
// and no working file has appeared.
TEST(OutputClash, AnOutputNamingAnInputIsRefusedBeforeAnythingIsWritten)
{
    test::ensureQtApp();
    struct Input {
        const char* what;       // as the message names it
        const char* file;       // the input's name in the folder
        std::vector<std::string> (*args)(const std::string& input, const std::string& folder);
    };
    const std::vector<Input> inputs = {
        {"the data file", "hill.D3D", [](const std::string& in, const std::string&) {
             return std::vector<std::string>{"render", in, "--seed", "1"};
         }},
        {"--picture", "scan.png", [](const std::string& in, const std::string& folder) {
             return std::vector<std::string>{"render", folder + "/hill.D3D", "--picture", in};
         }},
        {"the plot file played", "p.PLT", [](const std::string& in, const std::string&) {
             return std::vector<std::string>{"play", in};
         }},
        {"the data file", "hill.D3D", [](const std::string& in, const std::string&) {
             return std::vector<std::string>{"view3d", in};
         }},
        {"the colour table", "color5.DAT", [](const std::string&, const std::string& folder) {
             return std::vector<std::string>{"view3d", folder + "/hill.D3D", "--table", "5"};
         }},
    };
    for (const Input& input : inputs)
        for (const char* flag : {"--png", "--bmp", "--svg", "--pdf"})
            for (const Way way : {Way::Same, Way::HardLink, Way::SymLink, Way::Resolved}) {
                test::InTemporaryFolder folder;
                const std::string dir = folder.path().toStdString();
                const std::string in = dir + "/" + input.file;
                test::writeBytes(dir + "/hill.D3D", test::readBytes(kExample));
                // A picture or plot file is refused before it is read, so
                // any bytes stand for one; a colour table is only the one
                // in use when it is a whole table.
                if (input.file == std::string("color5.DAT"))
                    test::writeBytes(in, test::readBytes(TERVANE_SOURCE_DIR "/resources/colours/color5.DAT"));
                else if (input.file != std::string("hill.D3D"))
                    test::writeBytes(in, "the input's own bytes");
                const std::string before = test::readBytes(in);
                std::vector<std::string> args = input.args(in, dir);
                args.insert(args.end(), {flag, otherName(in, way)});
                SCOPED_TRACE(args[0] + " " + input.what + " " + flag + " way " + std::to_string(int(way)));
                std::string err;
                EXPECT_EQ(runLine(args, err), 2);
                EXPECT_NE(err.find(std::string("is also an input of this run (") + input.what + ")"),
                          std::string::npos) << err;
                EXPECT_TRUE(test::readBytes(in) == before) << "the input was written over";
                EXPECT_FALSE(fs::exists("dzx.NDX"));
            }
}

// The plot file of --hpgl is an output too, named after the data file, and
// outputs may not name one another (nor the working files).
TEST(OutputClash, PlotFileAndRepeatedOutputsAreRefused)
{
    test::ensureQtApp();
    const std::string example = test::readBytes(kExample);
    struct Case {
        const char* name;
        void (*setUp)(const std::string& dir, const std::string& example);
        std::vector<std::string> (*args)(const std::string& dir);
        const char* said;
    };
    const std::vector<Case> cases = {
        {"data file named as its own plot file",
         [](const std::string& dir, const std::string& bytes) { test::writeBytes(dir + "/hill.PLT", bytes); },
         [](const std::string& dir) { return std::vector<std::string>{"render", dir + "/hill.PLT", "--hpgl"}; },
         "is also an input of this run (the data file)"},
        {"plot file a hard link of the data file",
         [](const std::string& dir, const std::string& bytes) {
             test::writeBytes(dir + "/hill.D3D", bytes);
             fs::create_hard_link(dir + "/hill.D3D", dir + "/hill.PLT");
         },
         [](const std::string& dir) { return std::vector<std::string>{"render", dir + "/hill.D3D", "--hpgl"}; },
         "is also an input of this run (the data file)"},
        {"picture where the plot file goes",
         [](const std::string& dir, const std::string& bytes) {
             test::writeBytes(dir + "/hill.D3D", bytes);
             test::writeBytes(dir + "/scan.png", "picture");
             fs::create_symlink(dir + "/scan.png", dir + "/hill.PLT");
         },
         [](const std::string& dir) {
             return std::vector<std::string>{"render", dir + "/hill.D3D", "--hpgl", "--picture", dir + "/scan.png"};
         },
         "is also an input of this run (--picture)"},
        {"two images of one name",
         [](const std::string& dir, const std::string& bytes) { test::writeBytes(dir + "/hill.D3D", bytes); },
         [](const std::string& dir) {
             return std::vector<std::string>{"render", dir + "/hill.D3D", "--png", "a.png", "--bmp", dir + "/a.png"};
         },
         "--png and --bmp name the same file"},
        {"two vector drawings of one resolved name",
         [](const std::string& dir, const std::string& bytes) { test::writeBytes(dir + "/p.PLT", bytes); },
         [](const std::string& dir) {
             return std::vector<std::string>{"play", dir + "/p.PLT", "--svg", "x", "--pdf", "gone/../x"};
         },
         "--svg and --pdf name the same file"},
        {"an image over a working file",
         [](const std::string& dir, const std::string& bytes) { test::writeBytes(dir + "/hill.D3D", bytes); },
         [](const std::string& dir) {
             return std::vector<std::string>{"view3d", dir + "/hill.D3D", "--png", "D3d.dzx"};
         },
         "--png and the working file name the same file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::InTemporaryFolder folder;
        const std::string dir = folder.path().toStdString();
        c.setUp(dir, example);
        std::string err;
        EXPECT_EQ(runLine(c.args(dir), err), 2);
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
        for (const char* written : {"dzx.NDX", "a.png", "x", "D3d.dzx"})
            EXPECT_FALSE(fs::exists(written)) << written;
    }
}

// An empty file name is a mistake on the line, not "no file".
TEST(OutputClash, EmptyFileNamesAreUsageErrors)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"render", "a.D3D", "--png", ""},
             {"render", "a.D3D", "--bmp="},
             {"render", "a.D3D", "--svg", ""},
             {"render", "a.D3D", "--pdf", ""},
             {"render", "a.D3D", "--picture", ""},
             {"render", ""},
             {"play", "p.PLT", "--png", ""},
             {"play", "", "--png", "o.png"},
             {"view3d", "a.D3D", "--png", ""},
             {"view3d", "a.D3D", "--png", "o.png", "--pdf", ""},
             {"view3d", "", "--png", "o.png"},
             {"check", ""},
         }) {
        const CommandLine line = parseCommandLine(args);
        EXPECT_EQ(line.mode, Mode::Usage) << args[0] << " " << args[1];
        EXPECT_NE(line.error.find("empty"), std::string::npos) << line.error;
    }
}

// Links and resolved paths name one file; distinct files do not. A
// relative name is taken from the current folder, made or not.
TEST(OutputClash, SameFileFollowsLinksAndResolvesPaths)
{
    test::InTemporaryFolder folder;
    const std::string dir = folder.path().toStdString();
    const auto file = [&dir](const char* name) { return dir + "/" + name; };
    test::writeBytes(file("a"), "a");
    test::writeBytes(file("b"), "a");
    fs::create_hard_link(file("a"), file("hard"));
    fs::create_symlink(file("a"), file("soft"));
    fs::create_directories(file("sub/deeper"));
    fs::create_directory_symlink(file("sub/deeper"), file("deepLink"));
    const struct {
        const char* one;
        std::string other;
        bool same;
    } cases[] = {
        {"hard", file("a"), true},
        {"soft", file("a"), true},
        {"a", file("soft"), true},
        {"no/../a", file("a"), true},
        {"new.png", file("new.png"), true},
        {"deepLink/new.png", file("sub/deeper/new.png"), true},
        // The link's ".." is its target's parent, not the folder it is in.
        {"deepLink/../new.png", file("sub/new.png"), true},
        {"deepLink/../new.png", file("new.png"), false},
        {"a", file("b"), false},
        {"new.png", file("sub/new.png"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sameFile(c.one, c.other), c.same) << c.one << " and " << c.other;
}

} // namespace
} // namespace tervane
