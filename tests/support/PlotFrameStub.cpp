// Temporary stand-in for app/PlotFrame.cpp until it is merged: the network
// tests only need the frame set, the scale computed and drawPlotFrame to
// exist. Delete this file as soon as the real plot frame is on main.
#include "app/PlotFrame.h"

#include <cmath>

namespace tervane {

void setDrawingFrame(Canvas& drawing, bool pictureInserted)
{
    if (pictureInserted)
        drawing.setScale(0, kDrawingHeight, kDrawingWidth, 0);
    else
        drawing.setScale(-400, kDrawingHeight - 400, kDrawingWidth - 400, -400);
}

std::optional<double> computePlotScale(double xMin, double xMax, double yMin, double yMax,
                                       double areaWidth, double areaHeight)
{
    const double kx = (areaWidth - 1200) / (xMax - xMin);
    const double ky = (areaHeight - 700) / (yMax - yMin);
    if (!(xMax - xMin > 0) || !(yMax - yMin > 0) || !std::isfinite(kx) || !std::isfinite(ky))
        return std::nullopt;
    return kx < ky ? kx : ky;
}

void drawPlotFrame(RunContext&) {}

} // namespace tervane
