#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

using Mode = CommandLine::Mode;

TEST(CommandLine, NoArgumentsStartsTheWindowAndOneFileOpensIt)
{
    EXPECT_EQ(parseCommandLine({}).mode, Mode::Gui);
    EXPECT_FALSE(parseCommandLine({}).file);
    const CommandLine line = parseCommandLine({"data/hill.D3D"});
    EXPECT_EQ(line.mode, Mode::Gui);
    EXPECT_EQ(line.file, "data/hill.D3D");
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
        {"render", "a.D3D", "--svg", "o.svg"},
    };
    for (const auto& args : wrong) {
        const CommandLine line = parseCommandLine(args);
        EXPECT_EQ(line.mode, Mode::Usage) << args.back();
        EXPECT_FALSE(line.error.empty()) << args.back();
    }
}

} // namespace
} // namespace tervane
