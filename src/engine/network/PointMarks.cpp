#include "engine/network/PointMarks.h"

#include "engine/network/NetworkPreparation.h"
#include "engine/base/NumberText.h"

#include <cmath>

namespace tervane {

void readDisplayOptions(PanelSettings& panel)
{
    if (panel.check9)
        panel.valueScale = 1000;
    if (panel.check10)
        panel.valueScale = 100;
    if (panel.check11)
        panel.valueScale = 10;
    if (panel.check12)
        panel.valueScale = 1;
    if (panel.check1)
        panel.pointLabelMode = 1;
    if (panel.check2)
        panel.pointLabelMode = 2;
    if (panel.check3)
        panel.pointLabelMode = 3;
    if (panel.check4) {
        panel.pointLabelMode = 4;
        panel.check9 = panel.check10 = panel.check11 = panel.check12 = false;
    }
    if (!panel.check4 && !panel.check9 && !panel.check10 && !panel.check11 && !panel.check12) {
        panel.check9 = true;
        panel.valueScale = 1000;
    }
    if (panel.valueScale == 0)
        panel.valueScale = 1000;
}

std::string markValueText(double z, int valueScale)
{
    return numberText(truncateToScale(z, valueScale)) + " ";
}

void markAndLabelPoints(RunContext& ctx)
{
    SharedState& s = ctx.state;
    PanelSettings& panel = ctx.panel;
    Canvas& drawing = ctx.view.drawingArea();
    Canvas& strip = ctx.view.progressStrip();
    const bool raw = s.networkKind != 2 && s.networkKind != 3;
    if (panel.pointLabelMode == 0)
        panel.pointLabelMode = 1;
    const int mode = panel.pointLabelMode;
    drawing.setForeColour(panel.zhuji);
    for (long i = 1; i <= s.recordCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double x = s.pointX[k] * s.plotScale;
        const double y = s.pointY[k] * s.plotScale;
        drawing.circle(x, y, 8, panel.dian);
        drawing.circle(x, y, 0);  // puts the text position on the point
        if (mode == 4 && raw) {
            drawing.print(s.pointNote[k]);
        } else if (mode == 1) {
            // The same text at the same place as Draw's labels, so the two
            // overlay exactly instead of showing every note twice.
            drawing.print(markValueText(s.pointZ[k], panel.valueScale) + " ");
            if (raw)
                drawing.print(s.pointNote[k]);
        } else if ((mode == 2 || mode == 3) && i % mode == 0) {
            drawing.print(markValueText(s.pointZ[k], panel.valueScale));
        }
        showProgress(strip, static_cast<double>(i) / static_cast<double>(s.recordCount + 1));
    }
}

} // namespace tervane
