#pragma once
#include "engine/state/RunContext.h"
#include "engine/survey/SurveyFile.h"

#include <cmath>
#include <limits>
#include <string>

namespace tervane {

// The preparation every network kind shares, step by step. Each step that
// can fail tells the user and returns false.

// Fills a progress strip from its left edge to `fraction` of its width in
// the strip's fore colour.
void showProgress(Canvas& strip, double fraction);

// The progress strip only ever grows between its clears, by whole pixels:
// a step whose right edge lies in the pixel column already shown would
// paint nothing new, so it is not sent. A run of many thousand points would
// otherwise send one box per point.
class StripProgress {
public:
    explicit StripProgress(Canvas& strip) : strip_(strip) {}

    void show(double fraction)
    {
        if (newColumn(strip_.scaleWidth() * fraction))
            showProgress(strip_, fraction);
    }

    // Whether a step whose right edge is at `right` (user units) reaches a
    // pixel column not shown yet; if so, it counts as shown.
    bool newColumn(double right)
    {
        const double column = std::floor(strip_.toPixelX(right));
        if (column == shown_)
            return false;
        shown_ = column;
        return true;
    }

private:
    Canvas& strip_;
    double shown_ = std::numeric_limits<double>::quiet_NaN();
};

// Shows a message about the data and points the user to the data check.
void reportDataProblem(RunContext& ctx, const std::string& message);

// An empty interval box becomes "1" and an empty fitting-error box "0.5".
void fillEmptyPanelBoxes(PanelSettings& panel);

// Drawing frame, status box with the kind's name, solid pen, the panel's
// empty interval and error boxes, and the background.
void prepareDrawingArea(RunContext& ctx);

// Reads the data file into the point arrays (slots 1..count) with progress.
// Sets recordCount and fileRecordCount and empties the triangle tables.
// `justRead`, when given, stands for the file (read by the caller a moment
// ago) and is not read again; its notes are moved into the point table.
bool loadSurveyPoints(RunContext& ctx, SurveyReadResult* justRead = nullptr);

// Extents of the raw values; refuses a record whose X, Y or Z is not finite.
bool findExtents(RunContext& ctx);

// plotScale from the extents (1 with a background picture); refuses
// extents of zero width or height, which no scale can show.
bool setPlotScale(RunContext& ctx);

// Shifts the points to the data origin (unless a background picture is in
// use) and adds a tiny random offset to every coordinate.
void shiftPoints(RunContext& ctx);

// How much the tiny offsets are scaled: 1 for ordinary data, less for a
// data area smaller than one unit, so offsets stay far below its spacing.
double offsetScale(const SharedState& state);

} // namespace tervane
