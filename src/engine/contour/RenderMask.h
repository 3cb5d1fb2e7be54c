#pragma once
#include "engine/state/RunContext.h"
#include "engine/contour/PlanePoint.h"

#include <vector>

namespace tervane {

// The mask of a rendered map: the border scaled about its centre by
// 1 + 0.0025 w, with w = line width / 1.6.
struct RenderMask {
    std::vector<PlanePoint> border;  // scaled side end points, two per side
    int width = 10;                  // pen width, never below 10
};

// Computes the mask for the border end points and the line width box value.
// An empty border gives an empty mask.
RenderMask makeRenderMask(const std::vector<PlanePoint>& border, double lineWidth);

// Draws the mask along the network border in the background colour, so
// that the thick rendered lines end at the network, then redraws the plot
// frame at width 1.
void drawRenderMask(RunContext& ctx, const std::vector<PlanePoint>& border);

} // namespace tervane
