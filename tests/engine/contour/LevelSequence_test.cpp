#include "engine/contour/ContourFault.h"
#include "engine/contour/LevelSequence.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

TEST(LevelSequence, StartsAtTheTenBelowTheLowestValueWhateverTheInterval)
{
    const LevelSequence seq = makeLevelSequence(123.4, 130.0, 0.5);
    EXPECT_DOUBLE_EQ(seq.start, 120.0);
    EXPECT_DOUBLE_EQ(seq.end, 130.5);
    // 120, 120.5, ..., 130.5: every level up to zMax + interval.
    EXPECT_EQ(seq.count, 22);
    EXPECT_DOUBLE_EQ(seq.level(5), 122.5);
    EXPECT_DOUBLE_EQ(seq.level(10), 125.0);
}

TEST(LevelSequence, NegativeLowestValueRoundsDown)
{
    const LevelSequence seq = makeLevelSequence(-3.0, 7.0, 1.0);
    EXPECT_DOUBLE_EQ(seq.start, -10.0);
    EXPECT_EQ(seq.count, 19);  // -10 .. 8
}

TEST(LevelSequence, ColourStepSharesTheRampAmongTheLevels)
{
    const LevelSequence seq = makeLevelSequence(0.0, 100.0, 10.0);
    EXPECT_EQ(seq.count, 12);  // 0 .. 110
    EXPECT_DOUBLE_EQ(seq.colourStep, 240.0 / 13.0);
}

TEST(LevelSequence, EndIsReachedDespiteRoundingOfTheStep)
{
    // 0.1 steps do not add up exactly; the level at the end still counts.
    const LevelSequence seq = makeLevelSequence(0.0, 0.9, 0.1);
    EXPECT_EQ(seq.count, 11);
    EXPECT_LE(seq.level(seq.count - 1), seq.end);
    EXPECT_GT(seq.level(seq.count), seq.end);
}

TEST(LevelSequence, NegativeIntervalGivesNoLevels)
{
    EXPECT_EQ(makeLevelSequence(0.0, 100.0, -1.0).count, 0);
}

TEST(LevelSequence, FaultsOnZeroIntervalNonFiniteValuesAndTooManyLevels)
{
    EXPECT_THROW(makeLevelSequence(0.0, 100.0, 0.0), ContourFault);
    EXPECT_THROW(makeLevelSequence(0.0, 100.0, std::numeric_limits<double>::quiet_NaN()), ContourFault);
    EXPECT_THROW(makeLevelSequence(0.0, std::numeric_limits<double>::infinity(), 1.0), ContourFault);
    // 0 .. 32767 + 1 levels: the 16-bit counter holds k up to 32767.
    EXPECT_EQ(makeLevelSequence(0.0, 32766.0, 1.0).count, kMaxLevels);
    EXPECT_THROW(makeLevelSequence(0.0, 32767.0, 1.0), ContourFault);
    EXPECT_THROW(makeLevelSequence(0.0, 1e9, 1e-6), ContourFault);
}

// The data check asks the data rules' count; the run must refuse exactly
// the ranges it refuses, at the edge of the counter and off round numbers.
TEST(LevelSequence, CountsAsTheDataRulesCount)
{
    const struct {
        double zMin, zMax, interval;
    } ranges[] = {{0, 32766, 1}, {0, 32767, 1}, {-5, 3276.6, 0.1}, {-5, 3276.7, 0.1}, {123.4, 130, 0.5},
                  {0, 0.9, 0.1},  {7, 7, 3},     {-1e6, 1e6, 61.04}};
    for (const auto& r : ranges) {
        const std::optional<long> rule = levelCount(r.zMin, r.zMax, r.interval);
        if (rule)
            EXPECT_EQ(makeLevelSequence(r.zMin, r.zMax, r.interval).count, *rule) << r.zMax;
        else
            EXPECT_THROW(makeLevelSequence(r.zMin, r.zMax, r.interval), ContourFault) << r.zMax;
    }
}

} // namespace
} // namespace tervane
