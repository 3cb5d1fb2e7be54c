#include "engine/hpgl/PlotFileWriter.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <sstream>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;

bool onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && std::filesystem::exists(std::filesystem::path(folder) / program))
            return true;
    return false;
}

// Set bits of a binary PBM image (P4): the pixels drawn.
long inkedPixels(const std::string& pbm)
{
    std::istringstream in(pbm);
    std::string magic;
    int width = 0, height = 0;
    in >> magic >> width >> height;
    in.get();
    if (magic != "P4" || width <= 0 || height <= 0)
        return -1;
    long inked = 0;
    for (char c; in.get(c);)
        for (int bit = 0; bit < 8; ++bit)
            inked += (static_cast<unsigned char>(c) >> bit) & 1;
    return inked;
}

// A small recorded map: a closed contour, an open one, and two labelled points.
void writeSampleMap(const std::string& path)
{
    PlotFileWriter w;
    GlyphSet glyphs({std::string(TERVANE_SOURCE_DIR) + "/resources/glyphs"});
    ASSERT_TRUE(w.open(path));
    std::vector<PlotFileWriter::Point> ring, river;
    for (int i = 0; i < 40; ++i) {
        const double t = 2 * std::numbers::pi * i / 40;
        ring.emplace_back(3000 + 1500 * std::cos(t), 2500 + 1000 * std::sin(t));
        river.emplace_back(200 + 150 * i, 400 + 30 * i);
    }
    ASSERT_TRUE(w.curve(ring, true));
    ASSERT_TRUE(w.curve(river, false));
    ASSERT_TRUE(w.pointAndLabel(3000, 2500, "12.5", glyphs));
    ASSERT_TRUE(w.pointAndLabel(800.25, 4100.5, "-3.75", glyphs));
    ASSERT_TRUE(w.finish());
}

class Hp2xx : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!onPath("hp2xx"))
            GTEST_SKIP() << "hp2xx is not installed (scripts/install-deps installs it)";
        writeSampleMap(plt);
    }
    int run(const std::string& options, const std::string& out)
    {
        const std::string command = "hp2xx " + options + " -l '" + log + "' -f '" + out + "' '" + plt + "' </dev/null >/dev/null 2>&1";
        return std::system(command.c_str());
    }

    ScratchDir dir;
    std::string plt = dir.file("map.PLT");
    std::string log = dir.file("hp2xx.log");
};

TEST_F(Hp2xx, ReadsEveryCommandAndStrokesTheMap)
{
    const std::string eps = dir.file("map.eps");
    ASSERT_EQ(run("-m eps", eps), 0);
    const std::string report = readBytes(log);
    EXPECT_NE(report.find("HPGL command(s) ignored: 0"), std::string::npos) << report;
    EXPECT_NE(report.find("Unexpected event(s):  0"), std::string::npos) << report;
    const std::string picture = readBytes(eps);
    std::size_t linetos = 0;
    for (std::size_t at = picture.find(" D"); at != std::string::npos; at = picture.find(" D", at + 1))
        ++linetos;
    EXPECT_GT(linetos, 80u);
}

// The file selects pen 0 before every curve and point. Raster outputs of
// hp2xx leave pen 0 blank unless it is mapped to a real pen, which -M does.
TEST_F(Hp2xx, RasterOutputWithPenZeroMappedHasInk)
{
    const std::string pbm = dir.file("map.pbm");
    ASSERT_EQ(run("-M 1 -m pbm", pbm), 0);
    EXPECT_GT(inkedPixels(readBytes(pbm)), 1000);
}

} // namespace
} // namespace tervane
