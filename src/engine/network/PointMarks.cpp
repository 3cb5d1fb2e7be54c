#include "engine/network/PointMarks.h"

#include "engine/network/NetworkPreparation.h"
#include "engine/base/LabelPlacer.h"
#include "engine/state/PlotFrame.h"
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

std::string pointLabelText(const SharedState& s, const PanelSettings& panel, int i, double value)
{
    const auto k = static_cast<std::size_t>(i);
    const bool raw = s.networkKind != 2 && s.networkKind != 3;
    // Read in place: a note is longer than a short string, and every point
    // of a large map is labelled.
    static const std::string noNote;
    const std::string& note = raw && k < s.pointNote.size() ? s.pointNote[k] : noNote;
    std::string label;
    switch (panel.pointLabelMode) {
    case 1:
        label = markValueText(value, panel.valueScale);
        label.reserve(label.size() + 1 + note.size());
        label += ' ';
        label += note;
        break;
    case 2:
    case 3:
        if (i % panel.pointLabelMode == 0)
            label = markValueText(value, panel.valueScale);
        break;
    case 4: label = note; break;
    default: break;
    }
    // Blanks that pad a note to its field would only claim room on the map.
    const std::size_t end = label.find_last_not_of(' ');
    if (end == std::string::npos)
        return {};
    label.resize(end + 1);
    return label;
}

void markAndLabelPoints(RunContext& ctx, bool labels)
{
    SharedState& s = ctx.state;
    PanelSettings& panel = ctx.panel;
    Canvas& drawing = ctx.view.drawingArea();
    StripProgress progress(ctx.view.progressStrip());
    const bool raw = s.networkKind != 2 && s.networkKind != 3;
    if (panel.pointLabelMode == 0)
        panel.pointLabelMode = 1;
    const int mode = panel.pointLabelMode;
    drawing.setForeColour(panel.zhuji);
    LabelPlacer placer(labelArea(ctx));
    placer.setAir(pointLabelAir(drawing));
    // The present look draws every mark first, so that no mark lands on a
    // label.
    const bool marksFirst = !panel.classic;
    for (long i = 1; marksFirst && i <= s.recordCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        drawing.circle(s.pointX[k] * s.plotScale, s.pointY[k] * s.plotScale, 8, panel.dian);
    }
    for (long i = 1; i <= s.recordCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double x = s.pointX[k] * s.plotScale;
        const double y = s.pointY[k] * s.plotScale;
        if (!marksFirst)
            drawing.circle(x, y, 8, panel.dian);
        drawing.circle(x, y, 0);  // puts the text position on the point
        if (!labels) {
            // Marks only: the caller writes the labels itself.
        } else if (!panel.classic) {
            // The same label and place as Draw gives it, so the two overlay:
            // Draw reads the places back as the working files keep them, in
            // single precision, and a hair's difference in a place would
            // move a label and every label placed after it. Both take the
            // value from the shared state.
            const auto single = [](double v) { return static_cast<double>(static_cast<float>(v)); };
            const double lx = single(s.pointX[k]) * s.plotScale, ly = single(s.pointY[k]) * s.plotScale;
            const std::string label = labelMayFit(placer, drawing, lx, ly)
                                          ? pointLabelText(s, panel, static_cast<int>(i), s.pointZ[k])
                                          : std::string();
            if (!label.empty()) {
                if (const auto at = placeLabel(placer, drawing, lx, ly, label)) {
                    drawing.setCurrent(at->first, at->second);
                    printOnHalo(drawing, label, panel.zhuji, panel.beijing);
                }
            }
        } else if (mode == 4 && raw) {
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
        progress.show(static_cast<double>(i) / static_cast<double>(s.recordCount + 1));
    }
}

} // namespace tervane
