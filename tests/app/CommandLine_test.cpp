#include "app/CommandLine.h"

#include <set>
#include <sstream>
#include <tuple>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

#include <gtest/gtest.h>

#include <filesystem>

namespace tervane {
namespace {

using Mode = CommandLine::Mode;
using namespace std::string_literals;

TEST(CommandLine, NoArgumentsStartsTheWindowAndOneFileOpensIt)
{
    EXPECT_EQ(parseCommandLine({}).mode, Mode::Gui);
    EXPECT_FALSE(parseCommandLine({}).file);
    const CommandLine line = parseCommandLine({"data/hill.D3D"});
    EXPECT_EQ(line.mode, Mode::Gui);
    EXPECT_EQ(line.file, "data/hill.D3D");
}

TEST(CommandLine, PlotFilesPlayInTheWindow)
{
    const struct {
        std::vector<std::string> args;
        std::string file;
        bool play;
    } cases[] = {
        {{"--play", "maps/hill.PLT"}, "maps/hill.PLT", true},
        {{"--play", "odd.D3D"}, "odd.D3D", true},  // asked for by name: played whatever it is
        {{"hill.PLT"}, "hill.PLT", true},          // what a file manager hands over
        {{"hill.plt"}, "hill.plt", true},
        {{"hill.D3D"}, "hill.D3D", false},
        {{"plt"}, "plt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.file);
        const CommandLine line = parseCommandLine(c.args);
        EXPECT_EQ(line.mode, Mode::Gui);
        EXPECT_EQ(line.file, c.file);
        EXPECT_EQ(line.playInWindow, c.play);
    }
    for (const auto& wrong : std::vector<std::vector<std::string>>{{"--play"}, {"--play", "a.PLT", "b.PLT"}})
        EXPECT_EQ(parseCommandLine(wrong).mode, Mode::Usage) << wrong.size();
}

TEST(CommandLine, HelpAndVersion)
{
    EXPECT_EQ(parseCommandLine({"--help"}).mode, Mode::Help);
    EXPECT_EQ(parseCommandLine({"-h"}).mode, Mode::Help);
    EXPECT_EQ(parseCommandLine({"--version"}).mode, Mode::Version);
    EXPECT_EQ(kVersionText, "Tervane 2.0");
}

TEST(CommandLine, RenderWithEveryOption)
{
    const CommandLine line = parseCommandLine(
        {"render", "a.D3D", "--network", "optimized", "--seed", "42", "--png", "o.png", "--bmp=o.bmp"});
    EXPECT_EQ(line.mode, Mode::Render);
    EXPECT_EQ(line.file, "a.D3D");
    EXPECT_EQ(line.networkKind, 2);
    EXPECT_EQ(line.seed, 42u);
    EXPECT_EQ(line.pngPath, "o.png");
    EXPECT_EQ(line.bmpPath, "o.bmp");
}

TEST(CommandLine, RenderDefaultsToTheRawNetworkAndAClockSeed)
{
    const CommandLine line = parseCommandLine({"render", "--network", "3d", "b.D3D"});
    EXPECT_EQ(line.mode, Mode::Render);
    EXPECT_EQ(line.file, "b.D3D");
    EXPECT_EQ(line.networkKind, 3);
    const CommandLine plain = parseCommandLine({"render", "b.D3D"});
    EXPECT_EQ(plain.networkKind, 1);
    EXPECT_FALSE(plain.seed);
    EXPECT_TRUE(plain.pngPath.empty());
}

TEST(CommandLine, PanelOptionsFillTheSnapshotAsThePanelWould)
{
    const CommandLine line = parseCommandLine(
        {"render", "a.D3D", "--interval", ".5", "--error=0.05", "--error-control", "--width", "10", "--line-type", "3", "--smooth", "7",
         "--no-network", "--observe", "--ramp", "200,100", "--hpgl"});
    ASSERT_EQ(line.mode, Mode::Render) << line.error;
    const PanelSettings& p = line.panel;
    EXPECT_EQ(p.intervalText, ".5");
    EXPECT_EQ(p.errorText, "0.05");
    EXPECT_TRUE(p.check16);
    EXPECT_EQ(p.errorControl, 1);
    EXPECT_EQ(p.lineWidthText, "10");
    EXPECT_EQ(p.lineTypeText, "3");
    EXPECT_EQ(p.smoothValue, 9);
    EXPECT_TRUE(p.check13);
    EXPECT_TRUE(p.check14);
    EXPECT_EQ(p.observeFlag, "Y");
    EXPECT_EQ(p.hScroll3, 200);
    EXPECT_EQ(p.hScroll4, 100);
    EXPECT_TRUE(p.check15);

    // Palette blocks by either name; the others keep their start colours.
    const PanelSettings palette =
        parseCommandLine({"render", "a.D3D", "--colour", "curve=255,255,0", "--colour=zhuji=0,0,255"}).panel;
    EXPECT_EQ(palette.quxian, rgb(255, 255, 0));
    EXPECT_EQ(palette.zhuji, rgb(0, 0, 255));
    EXPECT_EQ(palette.beijing, PanelSettings().beijing);

    // The error text alone leaves error control off, as typing in the box does.
    const PanelSettings typed = parseCommandLine({"render", "a.D3D", "--error", "0.2"}).panel;
    EXPECT_EQ(typed.errorText, "0.2");
    EXPECT_FALSE(typed.check16);
    EXPECT_EQ(typed.errorControl, 0);

    // Without options the snapshot is the panel at start-up.
    const PanelSettings d = parseCommandLine({"render", "a.D3D"}).panel;
    const PanelSettings start;
    EXPECT_EQ(d.intervalText, start.intervalText);
    EXPECT_EQ(d.errorText, start.errorText);
    EXPECT_FALSE(d.check13 || d.check14 || d.check15 || d.check16);
    EXPECT_EQ(d.errorControl, 0);
    EXPECT_EQ(d.smoothValue, 4);
    EXPECT_TRUE(d.observeFlag.empty());
    EXPECT_EQ(parseCommandLine({"render", "a.D3D", "--smooth", "0"}).panel.smoothValue, 2);
    // The control alone keeps the default error.
    const PanelSettings control = parseCommandLine({"render", "a.D3D", "--error-control"}).panel;
    EXPECT_TRUE(control.check16);
    EXPECT_EQ(control.errorControl, 1);
    EXPECT_EQ(control.errorText, "0.1");
}

TEST(CommandLine, LabelsAndDecimalsTickOneBoxOfEachGroup)
{
    const std::vector<std::string> labels = {"all", "half", "third", "notes"};
    for (int mode = 1; mode <= 4; ++mode) {
        const auto& name = labels[static_cast<std::size_t>(mode - 1)];
        const PanelSettings p = parseCommandLine({"render", "a.D3D", "--labels", name}).panel;
        EXPECT_EQ(p.pointLabelMode, mode) << name;
        EXPECT_EQ(std::vector<bool>({p.check1, p.check2, p.check3, p.check4}),
                  std::vector<bool>({mode == 1, mode == 2, mode == 3, mode == 4}))
            << name;
    }
    // None ticks no box and writes no label; neither it nor notes takes
    // decimals.
    const PanelSettings none = parseCommandLine({"render", "a.D3D", "--labels", "none"}).panel;
    EXPECT_EQ(none.pointLabelMode, 5);
    EXPECT_FALSE(none.check1 || none.check2 || none.check3 || none.check4);
    for (const char* mode : {"notes", "none"})
        EXPECT_EQ(parseCommandLine({"render", "a.D3D", "--labels", mode, "--decimals", "1"}).mode, Mode::Usage) << mode;
    // A render keeps labels apart unless asked for the old look.
    EXPECT_FALSE(parseCommandLine({"render", "a.D3D"}).panel.classic);
    EXPECT_TRUE(parseCommandLine({"render", "a.D3D", "--classic"}).panel.classic);
    EXPECT_EQ(parseCommandLine({"play", "p.PLT", "--classic", "--png", "o.png"}).mode, Mode::Usage);

    // Notes write no values: every decimals box is cleared, the scale kept.
    const PanelSettings notes = parseCommandLine({"render", "a.D3D", "--labels", "notes"}).panel;
    EXPECT_FALSE(notes.check9 || notes.check10 || notes.check11 || notes.check12);
    EXPECT_EQ(notes.valueScale, 1000);

    const std::vector<std::pair<std::string, int>> decimals = {{"3", 1000}, {"2", 100}, {"1", 10}, {"0", 1}};
    for (std::size_t i = 0; i < decimals.size(); ++i) {
        const PanelSettings p = parseCommandLine({"render", "a.D3D", "--decimals", decimals[i].first}).panel;
        EXPECT_EQ(p.valueScale, decimals[i].second);
        EXPECT_EQ(std::vector<bool>({p.check9, p.check10, p.check11, p.check12}),
                  std::vector<bool>({i == 0, i == 1, i == 2, i == 3}));
        EXPECT_TRUE(p.check1);
    }
    // The order on the line does not matter; a repeated option counts last.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"render", "a.D3D", "--labels", "third", "--decimals", "1"},
             {"render", "--decimals", "2", "a.D3D", "--decimals", "1", "--labels", "half", "--labels", "third"}}) {
        const PanelSettings p = parseCommandLine(args).panel;
        EXPECT_EQ(p.pointLabelMode, 3);
        EXPECT_EQ(p.valueScale, 10);
        EXPECT_TRUE(p.check3 && p.check11 && !p.check2 && !p.check10);
    }
}

TEST(CommandLine, PlayTakesAPlotFileAndItsImages)
{
    const CommandLine line = parseCommandLine({"play", "hill.PLT", "--png", "o.png", "--bmp=o.bmp"});
    EXPECT_EQ(line.mode, Mode::Play);
    EXPECT_EQ(line.file, "hill.PLT");
    EXPECT_EQ(line.pngPath, "o.png");
    EXPECT_EQ(line.bmpPath, "o.bmp");
    EXPECT_EQ(parseCommandLine({"play", "--bmp", "o.bmp", "x.PLT"}).mode, Mode::Play);
}

TEST(CommandLine, VectorImages)
{
    const CommandLine render = parseCommandLine({"render", "a.D3D", "--pdf=o.pdf"});
    EXPECT_EQ(render.mode, Mode::Render);
    EXPECT_EQ(render.pdfPath, "o.pdf");
    const CommandLine play = parseCommandLine({"play", "x.PLT", "--pdf", "o.pdf"});
    EXPECT_EQ(play.mode, Mode::Play);
    EXPECT_EQ(play.pdfPath, "o.pdf");
}

// check takes the two options that decide what the build and Draw refuse,
// read by render's own rules.
TEST(CommandLine, CheckTakesTheNetworkKindAndInterval)
{
    const CommandLine plain = parseCommandLine({"check", "a.D3D"});
    ASSERT_EQ(plain.mode, Mode::Check) << plain.error;
    EXPECT_EQ(std::tie(*plain.file, plain.networkKind, plain.panel.intervalText), std::tuple("a.D3D"s, 1, "1"s));
    const CommandLine set = parseCommandLine({"check", "--interval=0.25", "a.D3D", "--network", "optimized"});
    ASSERT_EQ(set.mode, Mode::Check) << set.error;
    EXPECT_EQ(std::tie(*set.file, set.networkKind, set.panel.intervalText), std::tuple("a.D3D"s, 2, "0.25"s));
}

TEST(CommandLine, MistakesGiveUsageWithTheReason)
{
    const std::vector<std::vector<std::string>> wrong = {
        {"--frobnicate"},
        {"a.D3D", "b.D3D"},
        {"render"},
        {"render", "a.D3D", "b.D3D"},
        {"render", "a.D3D", "--network", "hexagonal"},
        {"render", "a.D3D", "--seed", "-3"},
        {"render", "a.D3D", "--seed", "12x"},
        {"render", "a.D3D", "--seed", "99999999999999999999999"},
        {"render", "a.D3D", "--png"},
        {"render", "a.D3D", "--svg"},
        {"render", "a.D3D", "--interval", "0"},
        {"render", "a.D3D", "--interval", "-1"},
        {"render", "a.D3D", "--interval", "1x"},
        {"render", "a.D3D", "--interval", " 1"},
        {"render", "a.D3D", "--interval", "inf"},
        {"render", "a.D3D", "--interval", "nan"},
        {"render", "a.D3D", "--interval", "1e999"},
        {"render", "a.D3D", "--interval="},
        {"render", "a.D3D", "--error", "0"},
        {"render", "a.D3D", "--error", "fine"},
        {"render", "a.D3D", "--width", "0"},
        {"render", "a.D3D", "--width", "100"},
        {"render", "a.D3D", "--width", "4.5"},
        {"render", "a.D3D", "--width", "99999999999"},
        {"render", "a.D3D", "--line-type", "-1"},
        {"render", "a.D3D", "--line-type", "7"},
        {"render", "a.D3D", "--smooth", "8"},
        {"render", "a.D3D", "--smooth", "-1"},
        {"render", "a.D3D", "--smooth", "2.5"},
        {"render", "a.D3D", "--labels", "some"},
        {"render", "a.D3D", "--decimals", "4"},
        {"render", "a.D3D", "--decimals", "00"},
        {"render", "a.D3D", "--labels", "notes", "--decimals", "2"},
        {"render", "a.D3D", "--ramp", "200"},
        {"render", "a.D3D", "--ramp", "15,255"},
        {"render", "a.D3D", "--ramp", "255,256"},
        {"render", "a.D3D", "--ramp", "200,100,5"},
        {"render", "a.D3D", "--ramp", ","},
        {"render", "a.D3D", "--hpgl=yes"},
        {"render", "a.D3D", "--network", "3d", "--hpgl"},
        {"render", "a.D3D", "--colour", "sky=1,2,3"},
        {"render", "a.D3D", "--colour", "curve=1,2"},
        {"render", "a.D3D", "--colour", "curve=1,2,256"},
        {"render", "a.D3D", "--colour", "curve=1,2,3,4"},
        {"render", "a.D3D", "--colour", "1,2,3"},
        {"render", "a.D3D", "--no-network=1"},
        {"play"},
        {"play", "x.PLT"},
        {"play", "x.PLT", "y.PLT", "--png", "o.png"},
        {"play", "x.PLT", "--png", "o.png", "--width", "10"},
        {"play", "x.PLT", "--png", "o.png", "--hpgl"},
        {"check"},
        {"check", "a.D3D", "b.D3D"},
        {"check", "a.D3D", "--png", "o.png"},
        {"check", "--seed"},
        {"check", "a.D3D", "--network", "hexagonal"},
        {"check", "a.D3D", "--interval", "0"},
        {"check", "a.D3D", "--width", "3"},
    };
    for (const auto& args : wrong) {
        const CommandLine line = parseCommandLine(args);
        std::string shown;
        for (const auto& a : args)
            shown += a + ' ';
        EXPECT_EQ(line.mode, Mode::Usage) << shown;
        EXPECT_FALSE(line.error.empty()) << shown;
    }
    EXPECT_EQ(parseCommandLine({"render", "a.D3D", "--width", "abc"}).error,
              "the line width must be a whole number from 1 to 99, not 'abc'");
    EXPECT_EQ(parseCommandLine({"play", "x.PLT"}).error, "play needs --png, --bmp, --svg or --pdf to show its drawing");
    EXPECT_EQ(parseCommandLine({"render", "a.D3D", "--hpgl=yes"}).error, "option --hpgl takes no value");
}

TEST(CommandLine, NoDisplayIsFoundBeforeTheWindowWouldAbort)
{
    const auto up = [](const std::string&) { return true; };
    const auto down = [](const std::string&) { return false; };
    EXPECT_TRUE(missingDisplay(nullptr, nullptr, nullptr, up));
    EXPECT_TRUE(missingDisplay("", "", "", up));
    EXPECT_TRUE(missingDisplay("xcb", nullptr, "wayland-0", up));
    EXPECT_TRUE(missingDisplay("wayland", ":0", nullptr, up));
    EXPECT_FALSE(missingDisplay(nullptr, ":0", nullptr, up));
    EXPECT_FALSE(missingDisplay(nullptr, nullptr, "wayland-0", up));
    EXPECT_FALSE(missingDisplay("offscreen", nullptr, nullptr, down));
    EXPECT_FALSE(missingDisplay(nullptr, ":0", "wayland-0", down)) << "Wayland is tried first";
    const std::string text = missingDisplay(nullptr, nullptr, nullptr, up).value_or("");
    EXPECT_NE(text.find("no display"), std::string::npos);
    EXPECT_NE(text.find("tervane render"), std::string::npos);

    // A DISPLAY left behind by a session that is gone.
    const std::string gone = missingDisplay("xcb", ":7", nullptr, down).value_or("");
    EXPECT_EQ(gone.substr(0, gone.find('\n')), "tervane: the display that DISPLAY names (:7) does not answer.");
    EXPECT_NE(gone.find("tervane render"), std::string::npos);
}

TEST(CommandLine, XServerProbeConnectsToTheDisplaysSocket)
{
    const auto listening = [](int family, const void* address, socklen_t length) {
        const int fd = ::socket(family, SOCK_STREAM, 0);
        EXPECT_EQ(::bind(fd, static_cast<const sockaddr*>(address), length), 0);
        EXPECT_EQ(::listen(fd, 4), 0);
        return fd;
    };
    // A display's local socket, by its abstract name, which needs no folder.
    const std::string number = std::to_string(60000 + ::getpid() % 5000);
    const std::string path = "/tmp/.X11-unix/X" + number;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, path.data(), path.size());
    const int local = listening(AF_UNIX, &address, offsetof(sockaddr_un, sun_path) + 1 + path.size());
    EXPECT_TRUE(xServerAnswers(":" + number));
    EXPECT_TRUE(xServerAnswers("unix:" + number + ".0"));
    ::close(local);
    EXPECT_FALSE(xServerAnswers(":" + number));

    // Over TCP, as ssh forwards a display: port 6000 + N.
    sockaddr_in loopback{};
    loopback.sin_family = AF_INET;
    loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof loopback;
    const int tcp = listening(AF_INET, &loopback, size);
    ASSERT_EQ(::getsockname(tcp, reinterpret_cast<sockaddr*>(&loopback), &size), 0);
    const std::string forwarded = "127.0.0.1:" + std::to_string(ntohs(loopback.sin_port) - 6000) + ".0";
    EXPECT_TRUE(xServerAnswers(forwarded));
    ::close(tcp);
    EXPECT_FALSE(xServerAnswers(forwarded));
    // Values the probe cannot read are left to the windowing library.
    for (const char* odd : {"", "nocolon", "/private/tmp/launch/org.x:0", "host::0"})
        EXPECT_TRUE(xServerAnswers(odd)) << odd;
}

TEST(CommandLine, UsageNamesEveryOption)
{
    const std::string text = usageText();
    for (const char* name : {"--network", "--seed", "--interval", "--error", "--error-control", "--width", "--line-type",
                             "--smooth", "--labels", "--decimals", "--no-network", "--observe", "--ramp", "--colour", "--hpgl",
                             "--png", "--bmp", "--svg", "--pdf", "tervane play", "tervane check", "tervane view3d"})
        EXPECT_NE(text.find(name), std::string::npos) << name;
}

// "    --name VALUE", two blanks or more, the description; continuation lines
// start their text in that same column.
TEST(CommandLine, EveryOptionDescriptionStartsInTheSameColumn)
{
    std::istringstream text(usageText());
    std::set<std::size_t> columns;
    bool inOptions = false;
    for (std::string line; std::getline(text, line);) {
        if (line.rfind("    --", 0) == 0) {
            inOptions = true;
            const auto gap = line.find("  ", 4);
            ASSERT_NE(gap, std::string::npos) << line;
            columns.insert(line.find_first_not_of(' ', gap));
        } else if (line.rfind("  tervane", 0) == 0) {
            inOptions = false;
        } else if (inOptions) {
            columns.insert(line.find_first_not_of(' '));
        }
        EXPECT_LE(line.size(), 80u) << line;
    }
    EXPECT_EQ(columns.size(), 1u);
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

TEST(DialogPath, NamesTheFileAsTheDialogWould)
{
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(dialogPath("./hill.D3D"), here + "/hill.D3D");
    EXPECT_EQ(dialogPath("/data/x/../hill.D3D"), "/data/hill.D3D");
    EXPECT_EQ(dialogPath("/data/hill.D3D"), "/data/hill.D3D");
}

} // namespace
} // namespace tervane
