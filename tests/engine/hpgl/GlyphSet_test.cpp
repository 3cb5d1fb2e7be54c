#include "engine/hpgl/GlyphSet.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tervane {
namespace {

using test::ScratchDir;
using test::writeBytes;

// Every character a value label can hold, in the plot file's number form or
// in exponent form.
const std::string kLabelCharacters = "0123456789.-E+";

TEST(GlyphFileName, CharacterTwiceOrItsOwnName)
{
    EXPECT_EQ(glyphFileName('5'), "55.zk");
    EXPECT_EQ(glyphFileName('0'), "00.zk");
    EXPECT_EQ(glyphFileName('.'), "DIAN0.zk");
    EXPECT_EQ(glyphFileName('-'), "JIAN0.zk");
    EXPECT_EQ(glyphFileName('E'), "EE.zk");
    EXPECT_EQ(glyphFileName('+'), "++.zk");
}

TEST(ParseGlyph, PairsFromCommasAndLineBreaksWithPenUpMarkers)
{
    const Glyph g = parseGlyph("SP0,0\r\n0,36\r\n24.5,36\r\n SP,1\n-3,x\n");
    ASSERT_EQ(g.size(), 3u);
    EXPECT_TRUE(g[0].penUp);
    EXPECT_DOUBLE_EQ(g[0].b, 36);
    EXPECT_FALSE(g[1].penUp);
    EXPECT_DOUBLE_EQ(g[1].a, 24.5);
    EXPECT_TRUE(g[2].penUp);
    EXPECT_DOUBLE_EQ(g[2].a, -3);
    EXPECT_DOUBLE_EQ(g[2].b, 0);

    const Glyph oneLine = parseGlyph("SP0,0,1,2,3,4,5");
    ASSERT_EQ(oneLine.size(), 2u);  // the odd last field is dropped
    EXPECT_TRUE(oneLine[0].penUp);
    EXPECT_FALSE(oneLine[1].penUp);
    EXPECT_DOUBLE_EQ(oneLine[1].b, 4);

    EXPECT_TRUE(parseGlyph("").empty());
    EXPECT_TRUE(parseGlyph("\r\n").empty());
}

TEST(GlyphSetSearch, FoldersInOrderMissingFileIsNothing)
{
    ScratchDir first, second;
    writeBytes(first.file("11.zk"), "SP0,0\n1,1\n");
    writeBytes(second.file("11.zk"), "SP0,0\n2,2\n");
    writeBytes(second.file("22.zk"), "SP0,0\n3,3\n");
    std::filesystem::create_directory(first.file("33.zk"));
    GlyphSet set({first.path(), second.path()});
    ASSERT_NE(set.find('1'), nullptr);
    EXPECT_DOUBLE_EQ(set.find('1')->front().a, 1);
    ASSERT_NE(set.find('2'), nullptr);
    EXPECT_DOUBLE_EQ(set.find('2')->front().a, 3);
    EXPECT_EQ(set.find('3'), nullptr);
    EXPECT_EQ(set.find('E'), nullptr);
}

// The shipped glyphs: one for every label character, each starting pen up
// (so no stroke joins it to the character before) and inside the grid that
// keeps it within its 99-unit cell.
TEST(ShippedGlyphs, EveryLabelCharacterOnTheGrid)
{
    GlyphSet set({std::string(TERVANE_SOURCE_DIR) + "/resources/glyphs"});
    for (const char c : kLabelCharacters) {
        const Glyph* g = set.find(c);
        ASSERT_NE(g, nullptr) << c;
        ASSERT_GE(g->size(), 2u) << c;
        EXPECT_TRUE(g->front().penUp) << c;
        for (const GlyphPoint& p : *g) {
            EXPECT_TRUE(p.a >= 0 && p.a <= 24 && p.b >= 0 && p.b <= 36) << c;
        }
    }
}

TEST(ShippedGlyphs, FoundBesideTheExecutable)
{
    const std::string folder = executableFolder();
    ASSERT_FALSE(folder.empty());
    GlyphSet set({folder});
    for (const char c : kLabelCharacters)
        EXPECT_NE(set.find(c), nullptr) << c;
}

} // namespace
} // namespace tervane
