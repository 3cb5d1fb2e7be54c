#include "engine/view3d/SurfaceDrawer.h"

#include "engine/base/Canvas.h"
#include "engine/base/EscapeKey.h"
#include "engine/base/Prompter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tervane {

namespace {

constexpr double kBoundsStart = 1e11;
// Rows of the bounding pass: the back half and the last row of cells.
constexpr int kBoundsRows[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 19};
constexpr int kBoundsColumns[] = {0, 19};

// The progress bar of one drawing; it repaints only when it grows by a pixel.
class ProgressBar {
public:
    ProgressBar(Canvas& strip, double total) : strip_(strip), total_(total) { strip_.clear(); }
    void advance()
    {
        ++count_;
        const int pixels = static_cast<int>(count_ / total_ * strip_.pixelWidth());
        if (pixels <= shown_)
            return;
        shown_ = pixels;
        strip_.filledBox(0, 0, strip_.width() * pixels / strip_.pixelWidth(), strip_.height());
    }
    void reset() { strip_.clear(); shown_ = 0; }

private:
    Canvas& strip_;
    double total_;
    double count_ = 0;
    int shown_ = 0;
};

struct Bounds {
    double xMin = kBoundsStart, xMax = -kBoundsStart, yMin = kBoundsStart, yMax = -kBoundsStart;
};

int displayLevel(const std::array<int, kSurfaceNodes>& display, int row, int column)
{
    return display[static_cast<std::size_t>(row * kSurfaceSide + column)];
}

// The bounding pass; false when Esc stopped it.
bool findBounds(const std::array<int, kSurfaceNodes>& display, const SurfaceProjection& projection,
                EscapeKey& escape, Bounds& bounds)
{
    for (int i : kBoundsRows) {
        for (int j : kBoundsColumns) {
            for (int r = i; r <= i + 1; ++r) {
                for (int q = j; q <= j + 1; ++q) {
                    const double x = projection.x(r, q);
                    const double y = projection.y(r, displayLevel(display, r, q));
                    bounds.xMin = std::min(bounds.xMin, x);
                    bounds.xMax = std::max(bounds.xMax, x);
                    bounds.yMin = std::min(bounds.yMin, y);
                    bounds.yMax = std::max(bounds.yMax, y);
                    if (escape.isDown())
                        return false;
                }
            }
        }
    }
    return true;
}

// The shorter extent is widened to make the picture square, then the zoom
// margin goes round it.
void scaleArea(Canvas& area, Bounds b, double zoom)
{
    b.xMax += 200;
    b.yMax += 200;
    const double d = (b.xMax - b.xMin) - (b.yMax - b.yMin);
    if (d >= 0)
        area.setScale(b.xMin - zoom, b.yMin - d - zoom, b.xMax + zoom, b.yMax + d + zoom);
    else
        area.setScale(b.xMin + d - zoom, b.yMin - zoom, b.xMax - d + zoom, b.yMax + zoom);
}

struct ComponentTables {
    int red[kLevelColourSlots];
    int green[kLevelColourSlots];
    int blue[kLevelColourSlots];
};

ComponentTables componentTables(const LevelColours& colours)
{
    ComponentTables t{};
    for (int i = 0; i < kLevelColourSlots; ++i) {
        t.red[i] = colours.adjustedRed(i);
        t.green[i] = colours.adjustedGreen(i);
        t.blue[i] = colours.adjustedBlue(i);
    }
    return t;
}

int capped(double component) { return std::min(255, static_cast<int>(std::nearbyint(component))); }

double along(const int* table, int from, int to, double t) { return table[from] + t * (table[to] - table[from]); }

// One cell's squares into `squares`, polling Esc after each; false when
// Esc stopped it.
bool sampleCell(const std::array<int, kSurfaceNodes>& display, int i, int j, const SurfaceProjection& p,
                const SurfaceSampling& sampling, const ComponentTables& tables, EscapeKey& escape,
                ProgressBar& bar, std::vector<FilledBox>& squares)
{
    const int c00 = displayLevel(display, i, j), c01 = displayLevel(display, i, j + 1);
    const int c10 = displayLevel(display, i + 1, j), c11 = displayLevel(display, i + 1, j + 1);
    const double side = 9 * p.cellHeight / 20;
    // Whole steps, as the sampling rounds them; a step below one would never end.
    const double rowStep = std::max(1.0, std::nearbyint(sampling.rowStep));
    const double rowsEnd = std::nearbyint(p.cellHeight);
    for (double u = 0; u <= rowsEnd; u += rowStep) {
        const double t = (p.cellHeight - u) / p.cellHeight;
        const double vL = c00 + t * (c10 - c00), vR = c01 + t * (c11 - c01);
        const double redL = along(tables.red, c00, c10, t), redR = along(tables.red, c01, c11, t);
        const double greenL = along(tables.green, c00, c10, t), greenR = along(tables.green, c01, c11, t);
        const double blueL = along(tables.blue, c00, c10, t), blueR = along(tables.blue, c01, c11, t);
        for (double s = 0; s <= p.columnSpacing; s += sampling.columnStep) {
            bar.advance();
            const double w = s / p.columnSpacing;
            const double v = vL + w * (vR - vL);
            const Colour colour = rgb(capped(redL + w * (redR - redL)), capped(greenL + w * (greenR - greenL)),
                                      capped(blueL + w * (blueR - blueL)));
            const double x = p.columnSpacing * j + s + p.rowShift * (5 - i - t);
            const double y = p.cellHeight * (i + t) - p.cellHeight * v;
            squares.push_back({x, y, x + side, y + side, colour});
            if (escape.isDown())
                return false;
        }
    }
    return true;
}

// The four edges of a cell, between its projected corners.
void drawCellEdges(Canvas& area, const std::array<int, kSurfaceNodes>& display, int i, int j,
                   const SurfaceProjection& p, Colour colour)
{
    auto corner = [&](int r, int q) {
        return std::pair{p.x(r, q), p.y(r, displayLevel(display, r, q))};
    };
    const auto [x00, y00] = corner(i, j);
    const auto [x10, y10] = corner(i + 1, j);
    const auto [x01, y01] = corner(i, j + 1);
    const auto [x11, y11] = corner(i + 1, j + 1);
    area.line(x00, y00, x10, y10, colour);
    area.line(x00, y00, x01, y01, colour);
    area.line(x11, y11, x10, y10, colour);
    area.line(x11, y11, x01, y01, colour);
}

void stopDrawing(SurfaceTargets& targets, ProgressBar& bar)
{
    targets.prompter.beep();
    targets.area.clear();
    bar.reset();
}

} // namespace

SurfaceSampling surfaceSampling(const SurfaceProjection& projection, bool preview)
{
    SurfaceSampling sampling;
    if (preview) {
        sampling.rowStep = projection.cellHeight / 10;
        sampling.columnStep = projection.columnSpacing;
    } else {
        sampling.rowStep = (18.0 / 2) / 3;
        sampling.columnStep = projection.columnSpacing / 12;
    }
    // Counts every cell of the grid, drawn or not, so a floating surface's
    // bar ends short of the strip's end.
    sampling.progressTotal = (1 + projection.cellHeight / sampling.rowStep) *
                             (1 + projection.columnSpacing / sampling.columnStep) * kSurfaceSide * kSurfaceSide;
    return sampling;
}

bool drawSurface(SurfaceGrid& grid, const SurfaceProjection& projection, double displayAngle,
                 const LevelColours& colours, const SurfaceOptions& options, SurfaceTargets targets)
{
    grid.classifyLevels(options.levelCount);
    const SurfaceSampling sampling = surfaceSampling(projection, options.preview);
    const std::array<int, kSurfaceNodes> display = grid.displayGrid(displayAngle);
    ProgressBar bar(targets.progress, sampling.progressTotal);

    Bounds bounds;
    if (!findBounds(display, projection, targets.escape, bounds)) {
        stopDrawing(targets, bar);
        return false;
    }
    bar.reset();
    targets.area.clear();
    scaleArea(targets.area, bounds, options.zoomMargin);

    const ComponentTables tables = componentTables(colours);
    const Colour gridColour = colours.colour(kGridLineSlot);
    const int first = options.floating ? 1 : 0;
    const int last = options.floating ? kSurfaceSide - 3 : kSurfaceSide - 2;
    std::vector<FilledBox> squares;
    for (int i = first; i <= last; ++i) {
        for (int j = first; j <= last; ++j) {
            squares.clear();
            const bool whole = sampleCell(display, i, j, projection, sampling, tables, targets.escape, bar, squares);
            if (!whole) {
                stopDrawing(targets, bar);
                return false;
            }
            targets.area.filledBoxes(squares);
            if (options.showGrid)
                drawCellEdges(targets.area, display, i, j, projection, gridColour);
        }
    }
    bar.reset();
    return true;
}

void drawCellThumbnail(Canvas& sample, const SurfaceProjection& projection)
{
    sample.clear();
    constexpr double x0 = 520, y0 = 600;
    const double w = projection.columnSpacing / 1.75;
    const double h = projection.cellHeight;
    const double s = projection.rowShift;
    sample.line(x0, y0, x0 + w, y0);
    sample.line(x0 + s, y0 - h, x0 + s + w, y0 - h);
    sample.line(x0, y0, x0 + s, y0 - h);
    sample.line(x0 + w, y0, x0 + w + s, y0 - h);
}

void paintBrightnessStrip(Canvas& strip, const LevelColours& colours)
{
    const double w = strip.scaleWidth();
    const double h = strip.scaleHeight();
    // Slot 10 would lie beyond the right edge, as it does on the panel.
    for (int i = 0; i < kColourFileLevels; ++i)
        strip.filledBox(strip.scaleLeft() + i * w / 10, strip.scaleTop() + 1, strip.scaleLeft() + (i + 1) * w / 10,
                        strip.scaleTop() + h, colours.adjustedColour(i));
}

} // namespace tervane
