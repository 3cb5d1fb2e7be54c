#include "engine/contour/FittingError.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

// A side from (0, 0) at value zp to (10, 0) at value zq.
SideEnds side(double zp, double zq) { return {{0, 0}, zp, {10, 0}, zq}; }

TEST(FittingError, FirstOffsetInsideTheSideWins)
{
    // Level 10, error 1: 11 lies inside 9..20, so r = (11 - 9) / 11.
    const PlanePoint p = findErrorPoint(side(9, 20), 10, 1, {1, 0});
    EXPECT_NEAR(p.x, 10.0 * 2 / 11, 1e-12);
    EXPECT_EQ(p.y, 0);
}

TEST(FittingError, ReachesInwardThenBelowThenAbove)
{
    // Upper end 10.72: +1.00 .. +0.75 fail, +0.70 gives 10.7.
    EXPECT_NEAR(findErrorPoint(side(9.5, 10.72), 10, 1, {}).x, 10 * (1.2 / 1.22), 1e-9);
    // Upper end 10.5: every upward try fails, -0.40 gives 9.6.
    EXPECT_NEAR(findErrorPoint(side(9.5, 10.5), 10, 1, {}).x, 1.0, 1e-9);
    // Lower end 9.7 as well: -0.40 fails, +0.45 gives 10.45.
    EXPECT_NEAR(findErrorPoint(side(9.7, 10.5), 10, 1, {}).x, 10 * (0.75 / 0.8), 1e-9);
    // Works the same with the side running downhill.
    EXPECT_NEAR(findErrorPoint(side(10.5, 9.5), 10, 1, {}).x, 9.0, 1e-9);
}

TEST(FittingError, AllTwentyFailingLeavesTheCrossing)
{
    const PlanePoint crossing{4.2, 0};
    EXPECT_EQ(findErrorPoint(side(9.7, 10.4), 10, 1, crossing), crossing);
}

TEST(FittingError, ZeroErrorGivesTheCrossingPoint)
{
    const PlanePoint p = findErrorPoint(side(0, 20), 5, 0, {99, 99});
    EXPECT_NEAR(p.x, 2.5, 1e-12);
}

} // namespace
} // namespace tervane
