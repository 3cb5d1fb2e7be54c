#include "engine/contour/PointLabels.h"

#include "engine/base/LabelPlacer.h"
#include "engine/state/PlotFrame.h"
#include "engine/base/NumberText.h"
#include "engine/network/PointMarks.h"

#include <cmath>
#include <limits>

namespace tervane {

namespace {

constexpr double kMarkRadius = 8;

std::string noteOf(const SharedState& state, int i)
{
    const auto slot = static_cast<std::size_t>(i);
    return slot < state.pointNote.size() ? state.pointNote[slot] : std::string();
}

// Steps 4 and 5 of a point: the note alone, or the value, a blank and the
// note, each only where the mode and the network kind ask for it.
void writeFirstLabel(RunContext& ctx, int i, double value)
{
    Canvas& area = ctx.view.drawingArea();
    const bool raw = ctx.state.networkKind == 1;
    const int mode = ctx.panel.pointLabelMode;
    if (mode == 4 && raw) {
        area.setForeColour(ctx.panel.zhuji);
        area.print(noteOf(ctx.state, i), true);
    }
    if (mode == 1) {
        area.setForeColour(ctx.panel.zhuji);
        area.print(pointValueText(value, ctx.panel.valueScale) + " ");
        if (raw)
            area.print(noteOf(ctx.state, i), true);
    }
}

} // namespace

std::string pointValueText(double value, int valueScale)
{
    // One text for both passes that label the points.
    return markValueText(value, valueScale);
}

void drawPointLabels(RunContext& ctx, const ContourNetwork& net, const std::vector<LabelBox>& taken)
{
    Canvas& area = ctx.view.drawingArea();
    Canvas& strip = ctx.view.progressStrip();
    const double scale = ctx.state.plotScale;
    const int n = net.pointCount();
    // The strip only grows, by whole pixels: a point that leaves its right
    // edge in the pixel column already shown would paint nothing new.
    double shown = std::numeric_limits<double>::quiet_NaN();
    const auto progress = [&](int i) {
        const double right = i * strip.width() / (n + 1);
        const double column = std::floor(strip.toPixelX(right));
        if (!(column == shown)) {
            strip.filledBox(1, 1, right, strip.height());
            shown = column;
        }
    };
    LabelPlacer placer(labelArea(ctx));
    for (const LabelBox& box : taken)
        placer.take(box);
    placer.setAir(pointLabelAir(area));
    if (!ctx.panel.classic) {
        // Every mark first, so that no mark lands on a label.
        area.setDrawWidth(1);
        area.setForeColour(ctx.panel.dian);
        for (int i = 1; i <= n; ++i) {
            const auto slot = static_cast<std::size_t>(i);
            area.circle(net.pointX[slot] * scale, net.pointY[slot] * scale, kMarkRadius);
        }
    }
    for (int i = 1; i <= n; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        const double x = net.pointX[slot] * scale;
        const double y = net.pointY[slot] * scale;
        if (ctx.panel.pointLabelMode == 0)
            ctx.panel.pointLabelMode = 1;
        if (!ctx.panel.classic) {
            // Moved to a free side of the point, or left out, never over
            // another label or past the edge; the network build placed the
            // same labels the same way.
            // The value as the build labelled it: the working files keep it
            // in single precision, which can cut to another last digit.
            if (!labelMayFit(placer, area, x, y)) {
                progress(i);
                continue;
            }
            const double value = slot < ctx.state.pointZ.size() && ctx.state.recordCount == n
                                     ? ctx.state.pointZ[slot]
                                     : static_cast<double>(net.pointZ[slot]);
            const std::string label = pointLabelText(ctx.state, ctx.panel, i, value);
            if (!label.empty()) {
                if (const auto at = placeLabel(placer, area, x, y, label)) {
                    area.setCurrent(at->first, at->second);
                    printOnHalo(area, label, ctx.panel.zhuji, ctx.panel.beijing);
                }
            }
            progress(i);
            continue;
        }
        area.setDrawWidth(1);
        area.setForeColour(ctx.panel.dian);
        area.circle(x, y, kMarkRadius);
        area.setCurrent(x, y);
        writeFirstLabel(ctx, i, net.pointZ[slot]);
        area.setForeColour(ctx.panel.dian);
        area.circle(x, y, kMarkRadius);
        area.setCurrent(x, y);
        const int mode = ctx.panel.pointLabelMode;
        if ((mode == 2 || mode == 3) && i % mode == 0) {
            area.setForeColour(ctx.panel.zhuji);
            area.print(pointValueText(net.pointZ[slot], ctx.panel.valueScale), true);
        }
        progress(i);
    }
}

} // namespace tervane
