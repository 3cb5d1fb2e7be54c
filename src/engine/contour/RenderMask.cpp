#include "engine/contour/RenderMask.h"

#include "engine/state/PlotFrame.h"
#include "engine/contour/CurveDrawer.h"
#include "engine/contour/PanelValues.h"

#include <cfenv>
#include <cmath>

namespace tervane {

namespace {

PlanePoint meanOf(const std::vector<PlanePoint>& points)
{
    PlanePoint sum;
    for (const PlanePoint& p : points) {
        sum.x += p.x;
        sum.y += p.y;
    }
    const auto n = static_cast<double>(points.size());
    return {sum.x / n, sum.y / n};
}

// Rounded to the nearest whole number, halves to even, within pen limits.
int penWidth(double w)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(w);
    std::fesetround(previous);
    return rounded > 32767 ? 32767 : static_cast<int>(rounded);
}

} // namespace

RenderMask makeRenderMask(const std::vector<PlanePoint>& border, double lineWidth)
{
    RenderMask mask;
    double w = lineWidth / 1.6;
    if (!border.empty() && std::isfinite(w)) {
        const PlanePoint centre = meanOf(border);
        const double factor = 1 + 0.0025 * w;
        for (const PlanePoint& p : border)
            mask.border.push_back({p.x * factor, p.y * factor});
        const PlanePoint moved = meanOf(mask.border);
        for (PlanePoint& p : mask.border) {
            p.x += centre.x - moved.x;
            p.y += centre.y - moved.y;
        }
    }
    // Raised only after the scaling, which uses the width as it is.
    if (!(w >= 10))
        w = 10;
    mask.width = penWidth(w);
    return mask;
}

void drawRenderMask(RunContext& ctx, const std::vector<PlanePoint>& border)
{
    const RenderMask mask = makeRenderMask(border, lineWidthValue(ctx.panel));
    Canvas& area = ctx.view.drawingArea();
    const double scale = ctx.state.plotScale;
    const Colour back = ctx.panel.beijing;
    // The mask keeps the panel's line type, solid at its width.
    setCurvePen(area, mask.width, wholeValue(ctx.panel.lineTypeText));
    for (std::size_t i = 0; i + 1 < mask.border.size(); i += 2) {
        const PlanePoint& a = mask.border[i];
        const PlanePoint& b = mask.border[i + 1];
        area.dot(a.x * scale, a.y * scale, back);
        area.line(a.x * scale, a.y * scale, b.x * scale, b.y * scale, back);
    }
    setCurvePen(area, 1, wholeValue(ctx.panel.lineTypeText));
    drawPlotFrame(ctx);
}

} // namespace tervane
