#pragma once
#include "engine/base/LabelPlacer.h"
#include "engine/state/RunContext.h"

#include <optional>
#include <string>

namespace tervane {

// Fixed layout of the main window and its drawing area, in twips.
inline constexpr double kMainWidth = 12000;
inline constexpr double kMainHeight = 8880;
inline constexpr double kDrawingLeft = 150;
inline constexpr double kDrawingTop = 100;
inline constexpr double kDrawingWidth = 9464;
inline constexpr double kDrawingHeight = 7410;
// The drawing area's outer height: three pixel rows (45 twips) more than the
// frame, so that the area shows a 626 x 497 pixel picture whole. The frame
// keeps its top-left corner and its 15 units to a pixel; the extra rows are
// margin below it.
inline constexpr double kDrawingAreaHeight = 7455;

// Sets the drawing area's coordinate system: the data origin 400 units in
// from the left and bottom edges, or (with a background picture) the
// bottom-left corner. Y grows upward in both.
void setDrawingFrame(Canvas& drawing, bool pictureInserted);

// Fills, without a background picture, everything a network, a map and its
// point marks and labels can reach: the data area and the margin between it
// and the ruler strips, where the labels and circles of points on the lower
// edge spill. The rulers' baselines lie in that margin: the caller draws the
// frame again afterwards.
void fillPlotArea(Canvas& drawing, Colour colour);

// Where point labels may go, in the area's pixels: what fillPlotArea fills,
// inside the ruler strips.
LabelBox labelArea(const Canvas& drawing);

// labelArea for a run: without the bands along the rulers' inner side that
// hold the coordinates in the data's units when the run draws them, so that
// no label is printed where the frame writes a coordinate over it later.
LabelBox labelArea(const RunContext& ctx);

// Drawing units per survey unit, the same for X and Y, so that the data area
// fits with 1200 units to spare across and 700 down. Returns nothing when an
// extent is zero or not finite (all X or all Y equal), so no caller divides
// by zero.
std::optional<double> computePlotScale(double xMin, double xMax, double yMin, double yMax,
                                       double areaWidth = kDrawingWidth,
                                       double areaHeight = kDrawingHeight);

// Draws the ruler strips along the bottom and left edges with the current
// scale and extents, then sets the line style of the line-type box. Unless
// the panel asks for the classic look or no coordinates, each ruler also
// gets, on its inner side, ticks and labels in the data's own units.
void drawPlotFrame(RunContext& ctx);

// Whether drawPlotFrame writes coordinates in the data's units: the panel
// wants them, the map is not classic, there is no background picture (whose
// units are its own) and the scale is usable.
bool drawsCoordinates(const RunContext& ctx);

// The step between coordinate ticks: 1, 2 or 5 times a power of ten, the
// smallest such that `span` holds at most `maxTicks` steps. Nothing for a
// span that is not positive and finite, or fewer than one tick.
std::optional<double> niceTickStep(double span, int maxTicks);

// The next larger step of the 1-2-5 sequence (1 to 2, 2 to 5, 5 to 10).
double nextTickStep(double step);

// A coordinate label: the value with as many decimals as the step needs
// and a comma between thousands, so that 4512300 reads 4,512,300.
std::string coordinateText(double value, double step);

// The cursor readout for a position in drawing units; nothing when no file
// is open (the box is then left as it was).
std::optional<std::string> cursorReadout(const SharedState& state, double x, double y);

} // namespace tervane
