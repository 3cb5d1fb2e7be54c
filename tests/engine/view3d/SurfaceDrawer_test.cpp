#include "engine/view3d/SurfaceDrawer.h"

#include "engine/base/RecordingCanvas.h"
#include "engine/base/ScriptedEscapeKey.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;

struct Drawing {
    RecordingCanvas area{7695, 7575};
    RecordingCanvas progress{7665, 135};
    ScriptedPrompter prompter;
    LevelColours colours{{"/nonexistent"}};
    SurfaceGrid grid;
    SurfaceProjection projection;

    Drawing()  // a surface rising along X: node (a, b) has value a
    {
        std::vector<double> values(kSurfaceNodes);
        for (int k = 0; k < kSurfaceNodes; ++k)
            values[static_cast<std::size_t>(k)] = k / kSurfaceSide;
        grid.setValues(values);
    }

    bool draw(const SurfaceOptions& options, ScriptedEscapeKey& escape)
    {
        return drawSurface(grid, projection, projection.viewAngle, colours, options,
                           {area, progress, escape, prompter});
    }
};

TEST(SurfaceDrawerTest, SquareCountsFollowTheSamplingAndTheCellRange)
{
    struct Case {
        const char* name;
        bool floating;
        bool preview;
        bool grid;
        std::size_t squares;
        std::size_t lines;
    };
    const Case cases[] = {
        {"floating surface, 18 x 18 cells of 41 x 13", true, false, true, 172692, 324 * 4},
        {"down to the base, 20 x 20 cells", false, false, false, 400 * 533, 0},
        {"preview: 11 x 2 samples per cell", true, true, true, 324 * 22, 324 * 4},
    };
    for (const Case& c : cases) {
        Drawing d;
        ScriptedEscapeKey escape;
        SurfaceOptions options;
        options.floating = c.floating;
        options.preview = c.preview;
        options.showGrid = c.grid;
        EXPECT_TRUE(d.draw(options, escape)) << c.name;
        EXPECT_EQ(d.area.count(Kind::FilledBox), c.squares) << c.name;
        EXPECT_EQ(d.area.count(Kind::Line), c.lines) << c.name;
        // One poll per corner of the bounding pass and per square.
        EXPECT_EQ(static_cast<std::size_t>(escape.polls()), 12 * 2 * 4 + c.squares) << c.name;
        EXPECT_EQ(d.progress.ops.back().kind, Kind::Clear) << c.name;
    }
}

TEST(SurfaceDrawerTest, CellsGoBackToFrontWithInterpolatedLevelsAndColours)
{
    Drawing d;
    for (int level = 0; level <= 9; ++level)
        d.colours.setColour(level, rgb(level * 20, 0, 250 - level * 20));
    ScriptedEscapeKey escape;
    ASSERT_TRUE(d.draw(SurfaceOptions{}, escape));
    const auto squares = d.area.opsOf(Kind::FilledBox);

    // The first square: cell (1, 1), front edge (t = 1), left end. Display
    // column q is node a, whose level is floor((a - 1) / (18 / 9)).
    const SurfaceProjection& p = d.projection;
    EXPECT_DOUBLE_EQ(squares.front().x1, p.columnSpacing * 1 + p.rowShift * (5 - 1 - 1));
    EXPECT_DOUBLE_EQ(squares.front().y1, p.cellHeight * 2 - p.cellHeight * 0);
    EXPECT_DOUBLE_EQ(squares.front().x2 - squares.front().x1, 54);
    // The square half way across cell (1, 2): level 0 to 1, colour half way.
    const auto& middle = squares[533 + 6];
    EXPECT_DOUBLE_EQ(middle.y1, p.cellHeight * 2 - p.cellHeight * 0.5);
    EXPECT_EQ(middle.colour, rgb(10, 0, 240));

    // Back to front: every cell's squares lie below (greater Y than) the
    // matching squares of the row behind it, on a surface this gentle.
    for (std::size_t cell = 18; cell < 324; cell += 18)
        EXPECT_GT(squares[cell * 533].y1, squares[(cell - 18) * 533].y1) << cell;
}

TEST(SurfaceDrawerTest, EscStopsWithAnEmptyAreaAndABeep)
{
    for (long poll : {5L, 50000L}) {
        Drawing d;
        ScriptedEscapeKey escape(poll);
        EXPECT_FALSE(d.draw(SurfaceOptions{}, escape));
        EXPECT_EQ(escape.polls(), poll) << "stops at once";
        EXPECT_EQ(d.prompter.beeps, 1);
        EXPECT_EQ(d.area.ops.back().kind, Kind::Clear);
        EXPECT_EQ(d.progress.ops.back().kind, Kind::Clear);
    }
}

TEST(SurfaceDrawerTest, ZoomMarginGoesRoundTheWidenedExtent)
{
    for (double zoom : {100.0, 1450.0, 3000.0}) {
        Drawing d;
        ScriptedEscapeKey escape;
        SurfaceOptions options;
        options.zoomMargin = zoom;
        options.preview = true;
        ASSERT_TRUE(d.draw(options, escape));
        // The slope's bounds: X from the front row's left end to the back
        // row's right end, Y from the first inner row lifted (row 0 is border) to the front row.
        const SurfaceProjection& p = d.projection;
        const double w = p.x(0, 20) - p.x(20, 0) + 200;
        const double h = p.y(20, 0) - p.y(1, 9) + 200;
        ASSERT_GT(w, h);
        EXPECT_DOUBLE_EQ(d.area.scaleWidth(), w + 2 * zoom) << zoom;
        EXPECT_DOUBLE_EQ(d.area.scaleHeight(), h + 2 * (w - h) + 2 * zoom) << zoom;
        EXPECT_DOUBLE_EQ(d.area.scaleLeft(), p.x(20, 0) - zoom) << zoom;
    }
}

} // namespace
} // namespace tervane
