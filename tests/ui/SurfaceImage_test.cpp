#include "engine/base/NullCanvas.h"
#include "engine/base/ScriptedEscapeKey.h"
#include "engine/base/ScriptedPrompter.h"
#include "engine/view3d/SurfaceDrawer.h"
#include "ui/PaintedPixels.h"
#include "ui/QtCanvas.h"
#include "ui/QtTestApp.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

using test::paintedPixels;

class SurfaceImageTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureQtApp(); }

    bool draw(QtCanvas& area, SurfaceGrid& grid, const SurfaceOptions& options)
    {
        for (int level = 0; level <= 9; ++level)
            colours.setColour(level, rgb(0, 25 * level + 5, 255 - 25 * level));
        NullCanvas progress(7665, 135);
        ScriptedEscapeKey escape;
        return drawSurface(grid, projection, projection.viewAngle, colours, options,
                           {area, progress, escape, prompter});
    }

    LevelColours colours{{"/nonexistent"}};
    SurfaceProjection projection;
    ScriptedPrompter prompter;
};

TEST_F(SurfaceImageTest, FloatingSurfaceLeavesTheOuterRingUndrawn)
{
    // Levels rising with display row (towards the front).
    std::vector<double> values(kSurfaceNodes);
    for (int k = 0; k < kSurfaceNodes; ++k)
        values[static_cast<std::size_t>(k)] = 20 - k % kSurfaceSide;
    SurfaceGrid grid;
    grid.setValues(values);
    SurfaceOptions options;
    options.showGrid = false;
    QtCanvas floating(7695, 7575), grounded(7695, 7575);
    floating.setBackColour(0);
    grounded.setBackColour(0);
    ASSERT_TRUE(draw(floating, grid, options));
    options.floating = false;
    ASSERT_TRUE(draw(grounded, grid, options));
    const QRect all = floating.image().rect();
    EXPECT_GT(paintedPixels(floating.image(), all), 1000);
    EXPECT_GT(paintedPixels(grounded.image(), all), paintedPixels(floating.image(), all));

    // Nothing of the floating surface lies on the grounded one's front corner.
    const int x = static_cast<int>(grounded.toPixelX(projection.x(19.5, 0.2)));
    const int y = static_cast<int>(grounded.toPixelY(projection.y(19.5, 0) + 27));
    const QRect corner(x - 2, y - 2, 5, 5);
    EXPECT_GT(paintedPixels(grounded.image(), corner), 0);
    EXPECT_EQ(paintedPixels(floating.image(), corner), 0);
}

TEST_F(SurfaceImageTest, ANearerRowCoversAFartherOne)
{
    // Flat but for a ridge at display row 15: the slope of row 14, drawn
    // after the flat row 10, lifts into the same place on the picture.
    std::vector<double> values(kSurfaceNodes, 0.0);
    for (int a = 1; a < 20; ++a)
        values[static_cast<std::size_t>(a * kSurfaceSide + 5)] = 1;
    SurfaceGrid grid;
    grid.setValues(values);
    SurfaceOptions options;
    options.showGrid = false;
    QtCanvas area(7695, 7575);
    area.setBackColour(0);
    ASSERT_TRUE(draw(area, grid, options));

    // Row 10's cell at column 10, level 0, is where row 14 passes at level 3.9 or so.
    const double x = projection.x(10.5, 10) + 27, y = projection.y(10.5, 0) + 27;
    const QRgb seen = area.image().pixel(static_cast<int>(area.toPixelX(x)), static_cast<int>(area.toPixelY(y)));
    EXPECT_GT(qGreen(seen), 60) << "level 0 would be green 5";
    EXPECT_LT(qGreen(seen), 160);
}

TEST_F(SurfaceImageTest, BatchedBoxesPaintWhatSingleBoxesPaint)
{
    std::vector<FilledBox> boxes;
    for (int i = 0; i < 200; ++i) {
        const double x = -300 + 53.7 * i, y = -200 + 31.3 * (i % 37);
        boxes.push_back({x, y, x + 54 + i % 5, y + 54 - i % 3, rgb(i, 255 - i, (i * 7) % 256)});
    }
    for (double ratio : {1.0, 2.0}) {
        QtCanvas one(3000, 2000, ratio), batch(3000, 2000, ratio);
        for (QtCanvas* c : {&one, &batch})
            c->setScale(-100, -100, 9000, 6000);
        for (const FilledBox& b : boxes)
            one.filledBox(b.x1, b.y1, b.x2, b.y2, b.colour);
        batch.filledBoxes(boxes);
        EXPECT_EQ(one.image(), batch.image()) << ratio;
        EXPECT_EQ(batch.currentX(), boxes.back().x2);
    }
}

} // namespace
} // namespace tervane
