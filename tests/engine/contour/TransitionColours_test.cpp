#include "engine/contour/TransitionColours.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

TEST(TransitionColoursTest, BothBarsAtTheEndGiveAGreyRamp)
{
    EXPECT_EQ(transitionColour(16, 255, 255), rgb(16, 16, 16));
    EXPECT_EQ(transitionColour(128, 255, 255), rgb(128, 128, 128));
    EXPECT_EQ(transitionColour(255, 255, 255), rgb(255, 255, 255));
}

TEST(TransitionColoursTest, TheStepRunsThroughRedOrGreenByWhichBarIsHigher)
{
    // a > b: red steps, green a, blue b.
    EXPECT_EQ(transitionColour(16, 200, 100), rgb(16, 200, 100));
    EXPECT_EQ(transitionColour(255, 200, 100), rgb(255, 200, 100));
    EXPECT_EQ(transitionColour(40, 255, 16), rgb(40, 255, 16));
    // a <= b: red a, green steps, blue b.
    EXPECT_EQ(transitionColour(16, 100, 200), rgb(100, 16, 200));
    EXPECT_EQ(transitionColour(99, 120, 120), rgb(120, 99, 120));
    EXPECT_EQ(transitionColour(99, 16, 255), rgb(16, 99, 255)) << "only both at 255 means grey";
}

} // namespace
} // namespace tervane
