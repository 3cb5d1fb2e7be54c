#pragma once
#include "engine/state/RunContext.h"
#include "engine/contour/ContourTracer.h"
#include "engine/base/Colour.h"

#include <optional>

namespace tervane {

class PlotRecording;
class BandSurface;
class ContourLabeller;
struct DrawnCurve;
struct MendStats;

// What a run of the present look adds to each curve; a classic run passes
// none, and its curves are drawn exactly as they always were.
struct CurveExtras {
    double level = 0;                       // the nominal level of the curve
    double interval = 0;                    // the run's contour interval
    const BandSurface* band = nullptr;      // keep the curve in its band
    MendStats* mends = nullptr;             // what the mends did (with band)
    ContourLabeller* labeller = nullptr;    // contour values along the line
    std::vector<DrawnCurve>* drawn = nullptr;  // the curves as drawn, for the crossing check
};

// Level roles: every fifth level of the sequence is an index contour.
inline constexpr int kIndexContour = 4;
inline constexpr int kOrdinaryContour = 2;

// Smooths one traced curve as a B-spline of order smoothness + 2 and draws
// it on the drawing area in the panel's line type, width and colour (the
// index colour for an index contour, `renderColour` on a rendered map),
// after the control polygon when observation is on. The progress strip
// grows with the samples.
//
// Esc is polled before every sample; when it is down the curve is cut
// short, the progress displays are cleared and HPGL recording is switched
// off, and false is returned. The run goes on with its next curve and
// stops at its next level check if Esc is still down.
//
// A sample whose point cannot be computed (a degenerate basis overflowing)
// is skipped. While `recording` records, the start point goes to the plot
// file pen up and every sample pen down; a failing write is a fault of the
// run and throws ContourFault.
bool drawCurve(RunContext& ctx, const TracedCurve& curve, int levelRole, Colour renderColour,
               PlotRecording* recording = nullptr, const CurveExtras* extras = nullptr);

// The drawing area's pen for a line width and line type: dashes and dots
// show only at width 1, wider lines of those types are solid. A type
// outside 0..6 keeps the area's current type, a width below 1 its width.
void setCurvePen(Canvas& area, std::optional<int> width, std::optional<int> lineType);

} // namespace tervane
