#pragma once
#include "engine/base/Colour.h"
#include "engine/base/LabelPlacer.h"
#include "engine/contour/Bspline.h"

#include <string>
#include <vector>

namespace tervane {

class Canvas;
class PlotRecording;

// Contour values written along the lines: on a curve's straightest
// stretches, upright, a fair distance apart along each line, and never over
// another value. The line is broken under each value. One labeller serves a
// whole Draw run, so the values of later curves keep clear of earlier ones,
// and the point labels after the run keep clear of them all.
class ContourLabeller {
public:
    // mode: 1 index contours only, 2 every contour. `bounds` is where labels
    // may go, in the area's pixels; `valueScale` the panel's decimals.
    ContourLabeller(int mode, const LabelBox& bounds, int valueScale);

    // Picks the places for one curve's values (points in world units, as
    // drawn), to be written in the area's present fore colour, and returns
    // the stretches of the curve to draw: the whole curve when no value goes
    // on it. The first stretch starts where the curve does.
    std::vector<std::vector<SplinePoint>> place(const Canvas& area, double plotScale,
                                                const std::vector<SplinePoint>& points, double level, int levelRole);

    // Writes every value placed so far, each on a rim of the `halo` colour
    // (the map's background) so that lines passing near it do not make it
    // unreadable, and into the plot file while it records. Once the run's
    // curves are all drawn, so that no later curve runs over a value.
    void write(Canvas& area, double plotScale, Colour halo, PlotRecording* recording);

    // Every value's box so far, in the area's pixels.
    const std::vector<LabelBox>& boxes() const { return placer_.placed(); }
    long labelCount() const { return count_; }

    // A value as the labels write it.
    std::string valueText(double level) const;

private:
    struct Placed {
        double x = 0;      // centre, world units
        double y = 0;
        double angle = 0;  // radians, anticlockwise as seen, never upside down
        std::string text;
        double length = 0; // the gap left for it in the line, world units
        Colour colour = 0;
    };

    int mode_;
    int valueScale_;
    LabelPlacer placer_;
    std::vector<Placed> pending_;
    long count_ = 0;
};

} // namespace tervane
