#include "engine/contour/RenderMask.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

const std::vector<PlanePoint> kSquare = {{10, 10}, {30, 10}, {30, 10}, {30, 20},
                                         {30, 20}, {10, 20}, {10, 20}, {10, 10}};

void expectScaledAboutCentre(const RenderMask& mask, double factor)
{
    ASSERT_EQ(mask.border.size(), kSquare.size());
    for (std::size_t i = 0; i < kSquare.size(); ++i) {
        EXPECT_NEAR(mask.border[i].x, 20 + (kSquare[i].x - 20) * factor, 1e-9);
        EXPECT_NEAR(mask.border[i].y, 15 + (kSquare[i].y - 15) * factor, 1e-9);
    }
}

TEST(RenderMask, NarrowLinesGetAMaskOfTenScaledByTheirOwnWidth)
{
    const RenderMask mask = makeRenderMask(kSquare, 5);
    EXPECT_EQ(mask.width, 10);
    expectScaledAboutCentre(mask, 1 + 0.0025 * 3.125);
}

TEST(RenderMask, WideLinesRoundTheirMaskWidthHalfToEven)
{
    const RenderMask mask = makeRenderMask(kSquare, 20);
    EXPECT_EQ(mask.width, 12);
    expectScaledAboutCentre(mask, 1 + 0.0025 * 12.5);
    EXPECT_EQ(makeRenderMask(kSquare, 21.6).width, 14);  // 13.5 to even
}

TEST(RenderMask, EmptyBorderGivesNoMask)
{
    EXPECT_TRUE(makeRenderMask({}, 20).border.empty());
}

} // namespace
} // namespace tervane
