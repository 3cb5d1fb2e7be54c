#include "engine/network/NetworkPreparation.h"

#include "engine/state/Texts.h"
#include "engine/state/PlotFrame.h"
#include "engine/survey/DataRules.h"
#include "engine/survey/SurveyFile.h"
#include "engine/network/NetworkTexts.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tervane {

namespace {

constexpr Colour kStatusBack = rgb(0, 128, 0);
constexpr Colour kStatusFore = rgb(0, 255, 0);

const std::string& kindName(int kind)
{
    if (kind == 3)
        return text::k3dNetwork;
    if (kind == 2)
        return text::kOptimizedNetwork;
    return text::kRawNetwork;
}

void clearTriangles(SharedState& s)
{
    s.triVertexA.assign(1, 0);
    s.triVertexB.assign(1, 0);
    s.triVertexC.assign(1, 0);
    s.triNeighbour.assign(1, {0, 0, 0, 0});
    s.triCentreX.assign(1, 0.0);
    s.triCentreY.assign(1, 0.0);
    s.triCentreZ.assign(1, 0.0);
    s.triangleCount = 0;
    s.triangleCursor = 0;
}

} // namespace

void reportDataProblem(RunContext& ctx, const std::string& message)
{
    ctx.prompter.message(message);
    ctx.view.showNotice(text::kDataCheckHint);
}

void showProgress(Canvas& strip, double fraction)
{
    strip.filledBox(1, 1, strip.scaleWidth() * fraction, strip.scaleHeight());
}

void fillEmptyPanelBoxes(PanelSettings& panel)
{
    // Assigning whole strings rather than literals keeps GCC 12's false
    // -Wrestrict alarm about std::string::replace quiet in Release builds.
    if (panel.intervalText.empty())
        panel.intervalText = std::string("1");
    if (panel.errorText.empty())
        panel.errorText = std::string("0.5");
}

void prepareDrawingArea(RunContext& ctx)
{
    SharedState& s = ctx.state;
    PanelSettings& panel = ctx.panel;
    Canvas& drawing = ctx.view.drawingArea();
    setDrawingFrame(drawing, s.pictureInserted == 1);
    ctx.view.setStatus(kindName(s.networkKind), kStatusBack, kStatusFore);
    drawing.setDrawWidth(1);
    drawing.setDrawStyle(kSolid);
    fillEmptyPanelBoxes(panel);
    ctx.random.reseedFromClock();
    drawing.setForeColour(panel.beijing);
    drawing.setBackColour(panel.beijing);
    if (s.pictureInserted == 0)
        fillPlotArea(drawing, panel.beijing);
}

bool loadSurveyPoints(RunContext& ctx, SurveyReadResult* justRead)
{
    SharedState& s = ctx.state;
    const bool lent = justRead && justRead->ok;
    SurveyReadResult read;
    if (!lent)
        read = readSurveyFile(s.dataFileName);
    SurveyReadResult& file = lent ? *justRead : read;
    if (!file.ok) {
        ctx.prompter.message(file.message);
        s.fileOpen = 0;
        return false;
    }
    const long count = static_cast<long>(file.records.size());
    s.sizePointsToFill(count);
    s.recordCount = count;
    s.fileRecordCount = count;
    clearTriangles(s);
    Canvas& strip = ctx.view.progressStrip();
    StripProgress progress(strip);
    for (long i = 1; i <= count; ++i) {
        progress.show(static_cast<double>(i) / static_cast<double>(count + 1));
        SurveyRecord& r = file.records[static_cast<std::size_t>(i - 1)];
        const auto slot = static_cast<std::size_t>(i);
        s.pointX[slot] = r.x();
        s.pointY[slot] = r.y();
        s.pointZ[slot] = r.z();
        s.pointNote[slot] = std::move(r.note);
    }
    strip.clear();
    return true;
}

bool findExtents(RunContext& ctx)
{
    SharedState& s = ctx.state;
    for (long i = 1; i <= s.recordCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!fitsWorkingFiles(s.pointX[k]) || !fitsWorkingFiles(s.pointY[k]) || !fitsWorkingFiles(s.pointZ[k])) {
            reportDataProblem(ctx, text::badNumberInRecord(i));
            s.fileOpen = 0;
            return false;
        }
    }
    ctx.random.reseedFromClock();
    // Starting from the first point instead of fixed sentinels keeps the
    // extents right for values beyond any sentinel.
    s.xMin = s.xMax = s.pointX[1];
    s.yMin = s.yMax = s.pointY[1];
    s.zMin = s.zMax = s.pointZ[1];
    for (long i = 2; i <= s.recordCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        s.xMin = std::min(s.xMin, s.pointX[k]);
        s.xMax = std::max(s.xMax, s.pointX[k]);
        s.yMin = std::min(s.yMin, s.pointY[k]);
        s.yMax = std::max(s.yMax, s.pointY[k]);
        s.zMin = std::min(s.zMin, s.pointZ[k]);
        s.zMax = std::max(s.zMax, s.pointZ[k]);
    }
    return true;
}

bool setPlotScale(RunContext& ctx)
{
    SharedState& s = ctx.state;
    const std::optional<double> scale = computePlotScale(s.xMin, s.xMax, s.yMin, s.yMax);
    if (!scale) {
        reportDataProblem(ctx, text::kFlatExtents);
        s.fileOpen = 0;
        return false;
    }
    s.plotScale = s.pictureInserted == 1 ? 1.0 : *scale;
    return true;
}

double offsetScale(const SharedState& s)
{
    return std::min(1.0, std::max(s.xMax - s.xMin, s.yMax - s.yMin));
}

void shiftPoints(RunContext& ctx)
{
    SharedState& s = ctx.state;
    ctx.random.reseedFromClock();
    const double keep = 1 - s.pictureInserted;
    const double amplitude = 0.0001 * offsetScale(s);
    for (long i = 1; i <= s.recordCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        s.pointX[k] = s.pointX[k] - keep * s.xMin + ctx.random.next() * amplitude;
        s.pointY[k] = s.pointY[k] - keep * s.yMin + ctx.random.next() * amplitude;
    }
}

} // namespace tervane
