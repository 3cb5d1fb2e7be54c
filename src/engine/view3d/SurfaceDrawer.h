#pragma once
#include "engine/view3d/LevelColours.h"
#include "engine/view3d/SurfaceGrid.h"
#include "engine/view3d/SurfaceProjection.h"

namespace tervane {

class Canvas;
class EscapeKey;
class Prompter;

// The choices of the view's panel a drawing reads.
struct SurfaceOptions {
    int levelCount = kDefaultLevelCount;  // fenji: 2..9
    double zoomMargin = 1450;             // sf: 100 (largest) .. 3000 (smallest)
    bool showGrid = true;                 // wangge: grid lines over each cell
    bool floating = true;                 // qumian: leave the outer ring undrawn
    bool preview = false;                 // the quick preview's coarse sampling
};

// Where a drawing goes and who may stop it.
struct SurfaceTargets {
    Canvas& area;       // MAINMAP: its scale is set by the drawing
    Canvas& progress;   // the progress strip, in its own twips; the bar in its fore colour
    EscapeKey& escape;  // polled after every corner and every square
    Prompter& prompter; // beeps when Esc stops the drawing
};

// Sampling steps inside a cell and the progress total of one drawing.
struct SurfaceSampling {
    double rowStep = 3;
    double columnStep = SurfaceProjection::kDefaultSpacing / 12;
    double progressTotal = 0;
};
SurfaceSampling surfaceSampling(const SurfaceProjection& projection, bool preview);

// DrawSurface: classifies the grid with the level count, turns it for
// `displayAngle` (the number in the angle box now), finds the projected
// extent, scales the drawing area with the zoom margin, then fills every
// cell from the back row to the front one with small squares whose level
// and colour are interpolated between the cell's corners, drawing the
// cell's grid lines after it. The colours are used as they stand (load
// them first). Returns false when Esc stopped it: the area is then
// cleared, the progress bar emptied and the beep sounded.
bool drawSurface(SurfaceGrid& grid, const SurfaceProjection& projection, double displayAngle,
                 const LevelColours& colours, const SurfaceOptions& options, SurfaceTargets targets);

// DrawCellThumbnail: one grid cell's outline, its width divided by 1.75, in
// the canvas's fore colour and twips, after clearing it.
void drawCellThumbnail(Canvas& sample, const SurfaceProjection& projection);

// PaintBrightnessStrip: the ten level colours as the drawing will use them,
// side by side across the strip.
void paintBrightnessStrip(Canvas& strip, const LevelColours& colours);

} // namespace tervane
