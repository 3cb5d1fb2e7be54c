#include "engine/view3d/LevelColours.h"

#include "support/ColourTables.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

std::string table(std::initializer_list<Colour> colours) { return test::colourTableBytes(colours); }

TEST(ColourRecordTest, ColourNumbersAreLittleEndianSingles)
{
    struct Case {
        Colour colour;
        std::string bytes;
    };
    const Case cases[] = {
        {0, std::string("\x00\x00\x00\x00", 4)},
        {255, std::string("\x00\x00\x7F\x43", 4)},
        {16777215, std::string("\xFF\xFF\x7F\x4B", 4)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(table({c.colour}), c.bytes) << c.colour;
        EXPECT_EQ(colourFromRecord(reinterpret_cast<const unsigned char*>(c.bytes.data())), c.colour);
    }
    // Not a colour number: negative, too large, not a number, not whole (2.5).
    for (const char* odd : {"\x00\x00\x80\xBF", "\x00\x00\x80\x4B", "\x00\x00\xC0\x7F", "\x00\x00\x20\x40"}) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(odd);
        EXPECT_FALSE(isColourRecord(bytes));
        EXPECT_LE(colourFromRecord(bytes), 2u);
    }
    EXPECT_TRUE(isColourRecord(reinterpret_cast<const unsigned char*>(table({16777215}).data())));
}

class LevelColoursTest : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string user = dir.file("user");
    std::string shipped = dir.file("shipped");
    void SetUp() override
    {
        std::filesystem::create_directory(user);
        std::filesystem::create_directory(shipped);
    }
    LevelColours colours{{user, shipped}};
};

TEST_F(LevelColoursTest, TheCurrentFolderWinsAndAnUnusableTableFallsBackToTheShippedOne)
{
    writeBytes(shipped + "/color5.DAT", table({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    writeBytes(user + "/color3.DAT", table({31, 32, 33, 34, 35, 36, 37, 38, 39, 40}) + table({41}));
    writeBytes(user + "/color5.DAT", table({11, 12, 13}));

    ColourTableLoad load = colours.load("3");
    EXPECT_EQ(load.path, user + "/color3.DAT");
    EXPECT_EQ(load.notice, "");
    EXPECT_EQ(colours.colour(9), 40u) << "an eleventh record is allowed and not read";

    load = colours.load("5");
    EXPECT_EQ(load.path, shipped + "/color5.DAT");
    EXPECT_NE(load.notice.find(user + "/color5.DAT"), std::string::npos) << load.notice;
    EXPECT_EQ(colours.colour(2), 3u);
    EXPECT_EQ(colours.colour(9), 10u);
    EXPECT_EQ(readBytes(user + "/color5.DAT"), table({11, 12, 13})) << "reading never repairs a table";

    colours.setColour(4, 77);
    load = colours.load("A");
    EXPECT_FALSE(load.usable());
    EXPECT_NE(load.notice.find("colorA.DAT"), std::string::npos) << load.notice;
    EXPECT_EQ(colours.colour(4), 0u);
    EXPECT_FALSE(std::filesystem::exists(user + "/colorA.DAT")) << "reading never creates a table";
}

TEST_F(LevelColoursTest, ABlockChangeWritesTheUsersTableStartingFromTheShippedOne)
{
    const std::string shippedTable = table({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    writeBytes(shipped + "/color0.DAT", shippedTable);
    colours.load("5");

    ASSERT_TRUE(colours.saveBlock(3, 255));
    std::string expected = shippedTable;
    expected.replace(12, 4, table({255}));
    EXPECT_EQ(readBytes(user + "/color0.DAT"), expected) << "bytes 12..15 are record 4";
    EXPECT_EQ(readBytes(shipped + "/color0.DAT"), shippedTable);

    // The grid-line block goes to record 11; later changes keep the user's file.
    ASSERT_TRUE(colours.saveBlock(10, 16777215));
    ASSERT_TRUE(colours.saveBlock(0, 7));
    expected.replace(0, 4, table({7}));
    EXPECT_EQ(readBytes(user + "/color0.DAT"), expected + table({16777215}));

    // Reading table 0 takes the ten levels only; the grid-line colour stays.
    colours.setColour(kGridLineSlot, 99);
    colours.load("0");
    EXPECT_EQ(colours.colour(0), 7u);
    EXPECT_EQ(colours.colour(3), 255u);
    EXPECT_EQ(colours.colour(kGridLineSlot), 99u);
}

TEST_F(LevelColoursTest, BrightnessShiftsEachComponentByTruncatedPercent)
{
    struct Case {
        Colour colour;
        int percent;
        int red;
    };
    const Case cases[] = {{rgb(200, 0, 0), 99, 398}, {rgb(200, 0, 0), -99, 2}, {rgb(1, 0, 0), -50, 1},
                          {rgb(200, 0, 0), 0, 200}, {rgb(255, 0, 0), 50, 382}};
    for (const Case& c : cases) {
        colours.setColour(4, c.colour);
        colours.setPercents(c.percent, 0, 0);
        EXPECT_EQ(colours.adjustedRed(4), c.red) << c.percent;
    }
    colours.setColour(4, rgb(200, 100, 10));
    colours.setPercents(99, -99, 50);
    EXPECT_EQ(colours.adjustedGreen(4), 1);
    EXPECT_EQ(colours.adjustedBlue(4), 15);
    EXPECT_EQ(colours.adjustedColour(4), rgb(255, 1, 15)) << "components are capped only when composed";
}

} // namespace
} // namespace tervane
