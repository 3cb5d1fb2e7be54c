#include "engine/base/LabelPlacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tervane {
namespace {

using Side = LabelPlacer::Side;

// A label of 40 x 10 pixels at a point of a 200 x 100 area, with some
// boxes already taken: it takes the first free side in the order right,
// left, above, below, and is left out when none is free inside the area.
TEST(LabelPlacer, ALabelTakesTheFirstFreeSideOrIsLeftOut)
{
    struct Case {
        const char* what;
        double x, y;
        std::vector<LabelBox> taken;  // boxes of other labels near (100, 50)
        std::optional<Side> side;   // nothing: left out
    };
    // Boxes that each block one side of (100, 50) and no other: the outer
    // parts of the right and left sides, and the whole of above and below.
    const LabelBox right{121, 50, 140, 60}, left{58, 50, 79, 60};
    const LabelBox above = LabelPlacer::boxAt(100, 50, 40, 10, Side::Above);
    const LabelBox below = LabelPlacer::boxAt(100, 50, 40, 10, Side::Below);
    const std::vector<Case> cases = {
        {"room on the right: the old place", 100, 50, {}, Side::Right},
        {"right taken: left", 100, 50, {right}, Side::Left},
        {"right and left taken: above", 100, 50, {right, left}, Side::Above},
        {"only below free", 100, 50, {right, left, above}, Side::Below},
        {"every side taken: left out", 100, 50, {right, left, above, below}, std::nullopt},
        {"at the right edge: left", 190, 20, {}, Side::Left},
        {"at the bottom edge: above", 150, 95, {}, Side::Above},
        {"in the top-left corner: right", 0, 0, {}, Side::Right},
        {"a point off the area: left out", 500, 500, {}, std::nullopt},
        {"a point that is no number: left out", std::nan(""), 10, {}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LabelPlacer placer({0, 0, 200, 100});
        for (const LabelBox& box : c.taken)
            placer.take(box);
        const std::optional<LabelBox> box = placer.place(c.x, c.y, 40, 10);
        ASSERT_EQ(box.has_value(), c.side.has_value());
        if (!c.side)
            continue;
        const LabelBox want = LabelPlacer::boxAt(c.x, c.y, 40, 10, *c.side);
        EXPECT_EQ(std::vector<double>({box->left, box->top, box->right, box->bottom}),
                  std::vector<double>({want.left, want.top, want.right, want.bottom}));
        EXPECT_FALSE(placer.isFree(*box)) << "a placed box is taken";
    }
}

// Boxes that only touch do not overlap; a box taken by other means (a
// contour label, later) keeps point labels off it.
TEST(LabelPlacer, TouchingIsFreeAndTakenBoxesAreAvoided)
{
    LabelPlacer placer({0, 0, 400, 400});
    placer.take({100, 100, 300, 120});
    EXPECT_FALSE(placer.isFree({299, 110, 320, 130}));
    EXPECT_TRUE(placer.isFree({300, 100, 340, 110}));
    EXPECT_TRUE(placer.isFree({100, 120, 140, 130}));
    const auto box = placer.place(150, 100, 40, 10);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->bottom, 98);  // above: the right and left of the point lie in the taken box
}

// hasRoom with no width answers for every width: where a label of no width
// finds no side free, no wider label does, and where it finds one, it
// takes nothing. Random crowded areas, with air, edges and a gap.
TEST(LabelPlacer, NoRoomForAnEmptyLabelMeansNoRoomForAnyLabel)
{
    std::mt19937 gen(20261208);
    std::uniform_real_distribution<double> at(-5, 205), size(1, 60);
    int refused = 0;
    for (int area = 0; area < 40; ++area) {
        LabelPlacer placer({0, 0, 200, 100}, 16);
        placer.setAir(area % 3);
        for (int i = 0; i < 60; ++i)
            placer.place(at(gen), at(gen) / 2, size(gen), 9);
        for (int i = 0; i < 50; ++i) {
            const double x = at(gen), y = at(gen) / 2;
            const std::size_t taken = placer.placed().size();
            const bool room = placer.hasRoom(x, y, 0, 9);
            EXPECT_EQ(placer.placed().size(), taken);
            if (room)
                continue;
            ++refused;
            for (const double w : {0.0, 0.25, 3.0, 17.5, 120.0}) {
                LabelPlacer copy = placer;
                EXPECT_FALSE(copy.place(x, y, w, 9)) << x << ", " << y << " width " << w;
            }
        }
    }
    EXPECT_GT(refused, 200);
}

} // namespace
} // namespace tervane
