#include "engine/network/WorkingFiles.h"
#include "engine/view3d/SurfaceGrid.h"
#include "engine/view3d/SurfaceProjection.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include <cmath>

namespace tervane {
namespace {

TEST(SurfaceProjectionTest, AngleAndHeightEntriesFollowTheBoxRules)
{
    struct Step {
        const char* box;  // "a" angle, "h" height
        const char* text;
        bool accepted;
        double rowShift;
        double columnSpacing;
    };
    const double d = SurfaceProjection::kDefaultSpacing;
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"right angles stack the rows", {{"a", "90", true, 0, 120}, {"a", "180", true, 0, 120},
                                         {"a", "270", true, 0, 120}, {"a", "360", true, 0, 120}}},
        {"whole angles below 90 keep the spacing", {{"a", "30", true, 120 / std::tan(3.141592654 / 6), d}}},
        {"a fraction uses the height", {{"a", "45.5", true, 120 / std::tan(3.141592654 / 180 * 45.5), 120}}},
        {"near 0 and 180 the shear is large", {{"a", "1", true, 6874.8, d}, {"a", "179", true, -6874.8, 120}}},
        {"a height keeps the last angle's shift", {{"h", "60", true, 120, d}, {"a", "45", true, 60, d}}},
        {"after 135 a height restores the spacing", {{"a", "135", true, -120, 120}, {"h", "120", true, -120, d}}},
        {"refused angles change nothing", {{"a", "045", false, 120, d}, {"a", "45.0", false, 120, d},
                                           {"a", "0", false, 120, d}, {"a", "361", false, 120, d},
                                           {"a", "+45", false, 120, d}, {"a", "", false, 120, d}}},
        {"height bounds", {{"h", "10", true, 120, d}, {"h", "200", true, 120, d}, {"h", "9", false, 120, d},
                           {"h", "201", false, 120, d}}},
    };
    for (const Case& c : cases) {
        SurfaceProjection p;
        for (const Step& s : c.steps) {
            const bool angle = std::string(s.box) == "a";
            EXPECT_EQ(angle ? p.enterAngle(s.text) : p.enterHeight(s.text), s.accepted) << c.name << ": " << s.text;
            EXPECT_NEAR(p.rowShift, s.rowShift, std::fabs(s.rowShift) * 1e-5 + 1e-9) << c.name << ": " << s.text;
            EXPECT_NEAR(p.columnSpacing, s.columnSpacing, 1e-9) << c.name << ": " << s.text;
        }
    }
}

// Interior node k gets value k, border nodes 1000.
std::vector<double> rampWithHighBorder()
{
    std::vector<double> values(kSurfaceNodes);
    for (int k = 0; k < kSurfaceNodes; ++k)
        values[static_cast<std::size_t>(k)] = SurfaceGrid::isBorder(k) ? 1000 : k;
    return values;
}

TEST(SurfaceGridTest, ClassificationSpansTheInteriorAndZeroesTheBorderForGood)
{
    SurfaceGrid grid;
    grid.setValues(rampWithHighBorder());
    grid.classifyInitial(9);
    EXPECT_EQ(grid.viewZMax(), 1000) << "the opening range includes the border";
    EXPECT_EQ(grid.nodeZ(0), 1000);

    grid.classifyLevels(9);
    const int lowest = 22, highest = 418;  // interior nodes (1, 1) and (19, 19)
    EXPECT_EQ(grid.viewZMin(), lowest);
    EXPECT_EQ(grid.viewZMax(), highest);
    EXPECT_EQ(grid.nodeZ(0), 0);
    EXPECT_EQ(grid.level(0), 0);
    EXPECT_EQ(grid.level(lowest), 0);
    EXPECT_EQ(grid.level(highest), 9) << "only the largest value reaches the level count";
    EXPECT_EQ(grid.level(220), static_cast<int>(std::floor((220.0 - lowest) / ((highest - lowest) / 9.0))));

    grid.classifyLevels(2);
    EXPECT_EQ(grid.level(highest), 2);

    // A flat interior has one level, whatever the border was.
    std::vector<double> flat(kSurfaceNodes, 5.0);
    flat[0] = -3;
    grid.setValues(flat);
    grid.classifyLevels(9);
    EXPECT_EQ(grid.levelStep(), 0);
    for (int k = 0; k < kSurfaceNodes; ++k)
        ASSERT_EQ(grid.level(k), 0) << k;
}

TEST(SurfaceGridTest, LevelEntriesMoveTheNodeIntoTheChosenLevel)
{
    struct Case {
        const char* text;
        int levelCount;
        std::optional<double> level;
    };
    const Case cases[] = {{"10", 9, std::nullopt}, {"-1", 9, std::nullopt}, {"05", 9, std::nullopt},
                          {"4a", 9, std::nullopt}, {"0.5", 9, std::nullopt}, {"", 9, std::nullopt},
                          {"4.5", 9, 4.5},         {".5", 9, 0.5},           {"0", 9, 0.0},
                          {"9", 9, 9.0},           {"5", 5, 5.0}};
    for (const Case& c : cases) {
        SurfaceGrid grid;
        grid.setValues(rampWithHighBorder());
        grid.classifyLevels(9);
        const double before = grid.nodeZ(100);
        EXPECT_EQ(grid.enterLevel(100, c.text, c.levelCount), c.level) << c.text;
        const double range = grid.viewZMax() - grid.viewZMin();
        const double expected = c.level ? grid.viewZMin() + range / c.levelCount * *c.level : before;
        EXPECT_DOUBLE_EQ(grid.nodeZ(100), expected) << c.text;
    }

    // Dropping the highest node to 0 shrinks the range at the next classification.
    SurfaceGrid grid;
    grid.setValues(rampWithHighBorder());
    grid.classifyLevels(9);
    ASSERT_EQ(grid.level(417), 8);
    ASSERT_TRUE(grid.enterLevel(418, "0", 9));
    grid.classifyLevels(9);
    EXPECT_EQ(grid.level(418), 0);
    EXPECT_EQ(grid.level(417), 9) << "the next highest node takes the top level";
}

TEST(SurfaceGridTest, TheDisplayTurnsHalfRoundAt180)
{
    SurfaceGrid grid;
    std::vector<double> values(kSurfaceNodes, 0.0);
    values[1 * kSurfaceSide + 1] = 1;  // node a = 1, b = 1: low X, low Y
    grid.setValues(values);
    grid.classifyLevels(9);
    const auto front = grid.displayGrid(179);
    const auto back = grid.displayGrid(180);
    EXPECT_EQ(front[19 * kSurfaceSide + 1], 9) << "low Y in front, X to the right";
    EXPECT_EQ(back[1 * kSurfaceSide + 19], 9) << "low Y at the back, X to the left";
}

TEST(SurfaceGridTest, OnlyAWhole21By21GridFileLoads)
{
    test::ScratchDir dir;
    SurfaceGrid grid;
    EXPECT_TRUE(grid.load(dir.path()).has_value()) << "no file";

    GridFile file{21, 21, std::vector<float>(441, 2.5f)};
    file.values[5] = 7;
    ASSERT_TRUE(writeGrid(file, dir.path()));
    EXPECT_FALSE(grid.load(dir.path()).has_value());
    EXPECT_EQ(grid.nodeZ(5), 7);

    ASSERT_TRUE(writeGrid(GridFile{20, 20, std::vector<float>(400, 1.0f)}, dir.path()));
    EXPECT_TRUE(grid.load(dir.path()).has_value()) << "the view only works on 21 x 21";
    EXPECT_FALSE(grid.loaded());
    EXPECT_EQ(grid.nodeZ(5), 0);

    ASSERT_TRUE(writeGrid(file, dir.path()));
    test::writeBytes(dir.file(kD3dFile), test::readBytes(dir.file(kD3dFile)).substr(0, 1000));
    EXPECT_TRUE(grid.load(dir.path()).has_value()) << "a short file";

    // A FIFO with no writer would hang a blocking open for good.
    std::filesystem::remove(dir.file(kD3dFile));
    ASSERT_EQ(::mkfifo(dir.file(kD3dFile).c_str(), 0600), 0);
    const auto refusal = grid.load(dir.path());
    ASSERT_TRUE(refusal.has_value());
    EXPECT_NE(refusal->find(dir.file(kD3dFile) + " 不是普通文件"), std::string::npos) << *refusal;
    EXPECT_FALSE(grid.loaded());
}

} // namespace
} // namespace tervane
