#include "engine/network/NetworkBuilder.h"

#include "engine/base/Limits.h"
#include "engine/state/Texts.h"
#include "engine/state/PlotFrame.h"
#include "engine/network/GridBuilder.h"
#include "engine/network/NetworkPreparation.h"
#include "engine/network/NetworkTexts.h"
#include "engine/network/PointMarks.h"
#include "engine/network/Triangulator.h"
#include "engine/network/WorkingFiles.h"
#include "engine/survey/DataRules.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <vector>

namespace tervane {

namespace {

// Which corner circles of a triangle are drawn. A circle drawn again later
// in the same place, colour and pen covers every pixel of the earlier one,
// whatever was drawn between, so once the whole network is known (a redraw)
// only each point's last circle is drawn and recorded: a third of a large
// network's circles. A build draws every one as it goes.
using CircledCorners = std::array<bool, 3>;
constexpr CircledCorners kAllCorners{true, true, true};

// Draws a new triangle (its outline as one closed polyline) and its corner
// circles, advances the progress bar and polls Esc first; false when the
// build must stop.
bool showTriangle(RunContext& ctx, StripProgress& progress, const std::array<int, 3>& corners, int n,
                  CircledCorners circled = kAllCorners)
{
    if (ctx.escape.isDown()) {
        clearAfterEscape(ctx);
        return false;
    }
    const SharedState& s = ctx.state;
    const PanelSettings& panel = ctx.panel;
    Canvas& drawing = ctx.view.drawingArea();
    std::array<CanvasPoint, 4> outline;
    for (int c = 0; c < 3; ++c) {
        const auto corner = static_cast<std::size_t>(corners[static_cast<std::size_t>(c)]);
        outline[static_cast<std::size_t>(c)] = {s.pointX[corner] * s.plotScale, s.pointY[corner] * s.plotScale};
    }
    outline[3] = outline[0];
    drawing.polyline(outline, panel.wangxian);
    for (std::size_t c = 0; c < 3; ++c) {
        if (circled[c])
            drawing.circle(outline[c].x, outline[c].y, 8, panel.dian);
    }
    progress.show(static_cast<double>(n) / 2 / static_cast<double>(s.recordCount + 1));
    drawing.setForeColour(panel.zhuji);
    return true;
}

void keepTables(SharedState& s, Triangulation&& t)
{
    s.triVertexA = std::move(t.vertexA);
    s.triVertexB = std::move(t.vertexB);
    s.triVertexC = std::move(t.vertexC);
    s.triNeighbour = std::move(t.neighbour);
    s.triCentreX = std::move(t.centreX);
    s.triCentreY = std::move(t.centreY);
    s.triCentreZ = std::move(t.centreZ);
    s.triangleCount = t.count;
    s.triangleCursor = t.cursor;
}

// Triangulates the points in the point arrays, drawing as it goes and
// noting what it drew in `drawn`. False when Esc stopped it or no triangle
// could be made; `complete` tells a whole network from a capped one.
bool triangulatePoints(RunContext& ctx, std::vector<std::array<int, 3>>& drawn, bool& complete)
{
    SharedState& s = ctx.state;
    Canvas& strip = ctx.view.progressStrip();
    StripProgress progress(strip);
    TriangulationCallbacks callbacks;
    callbacks.seedScanned = [&progress](long i, long n) {
        progress.show(static_cast<double>(i) / static_cast<double>(n + 1));
    };
    const bool shown = ctx.view.buildShown();
    callbacks.triangleCreated = [&ctx, &drawn, &progress, shown](const Triangulation& t, int n) {
        const auto i = static_cast<std::size_t>(n);
        drawn.push_back({t.vertexA[i], t.vertexB[i], t.vertexC[i]});
        if (shown)
            return showTriangle(ctx, progress, drawn.back(), n);
        if (ctx.escape.isDown()) {
            clearAfterEscape(ctx);
            return false;
        }
        return true;
    };
    TriangulationResult result = triangulate(s.pointX, s.pointY, s.pointZ, s.recordCount, callbacks);
    keepTables(s, std::move(result.tables));
    complete = result.end == TriangulationEnd::Complete;
    switch (result.end) {
    case TriangulationEnd::Complete:
        return true;
    case TriangulationEnd::Stopped:
        return false;
    case TriangulationEnd::CapReached:
        reportDataProblem(ctx, text::kNetworkIncomplete);
        return true;
    case TriangulationEnd::NoTriangle:
        break;
    }
    strip.clear();
    reportDataProblem(ctx, text::kCollinearPoints);
    s.fileOpen = 0;
    return false;
}

// Replaces the points by the nodes of a regular grid weighted from them,
// and writes the grid file for the 3D view.
void replacePointsByGrid(RunContext& ctx, GridSize size)
{
    SharedState& s = ctx.state;
    Canvas& strip = ctx.view.progressStrip();
    const bool picture = s.pictureInserted == 1;
    GridPlacement where;
    where.xRange = s.xMax - s.xMin;
    where.yRange = s.yMax - s.yMin;
    where.originX = picture ? s.xMin : 0;
    where.originY = picture ? s.yMin : 0;
    where.nudgeFirstNode = !picture;
    where.offsetScale = offsetScale(s);
    Grid grid = placeGridNodes(size, where, ctx.random);
    StripProgress progress(strip);
    weightGridValues(grid, s.pointX, s.pointY, s.pointZ, s.recordCount, [&progress](long k, long nodes) {
        progress.show(static_cast<double>(k) / static_cast<double>(nodes + 1));
    });
    ctx.random.reseedFromClock();
    offsetInteriorNodes(grid, ctx.random, where.offsetScale);
    ctx.random.reseedFromClock();
    const long nodes = grid.nodeCount();
    s.gridColumns = grid.columns;
    s.gridRows = grid.rows;
    s.recordCount = nodes;
    s.resizePoints(nodes);
    for (std::size_t k = 1; k <= static_cast<std::size_t>(nodes); ++k) {
        s.pointX[k] = grid.x[k];
        s.pointY[k] = grid.y[k];
        s.pointZ[k] = grid.z[k];
    }
    strip.clear();
    GridFile file{grid.columns, grid.rows, std::vector<float>(grid.z.begin() + 1, grid.z.end())};
    if (!writeGrid(file))
        ctx.prompter.message(text::workingFileUnwritable(kD3dFile));
}

// Everything before the kind's own step: reload, extents, scale, shift.
bool prepareNetwork(RunContext& ctx, SurveyReadResult* justRead)
{
    SharedState& s = ctx.state;
    prepareDrawingArea(ctx);
    if (s.fileOpen == 0) {
        ctx.prompter.message(text::kFileNotOpen);
        return false;
    }
    if (!loadSurveyPoints(ctx, justRead))
        return false;
    // Too few points to export are refused before anything is drawn, so a
    // refusal never leaves a network on screen that Draw could not use.
    if (s.recordCount < limits::kMinPoints) {
        reportDataProblem(ctx, text::kTooFewPoints);
        return false;
    }
    if (!findExtents(ctx) || !setPlotScale(ctx))
        return false;
    if (collinearityRefused(s.networkKind, s.pointX, s.pointY, s.recordCount)) {
        reportDataProblem(ctx, text::kCollinearPoints);
        s.fileOpen = 0;
        return false;
    }
    shiftPoints(ctx);
    return true;
}

// The data file's size and time, to tell whether it changed on disk.
bool stampOf(const std::string& file, long long& size, long long& time)
{
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(file, ec);
    if (ec)
        return false;
    const auto written = std::filesystem::last_write_time(file, ec);
    if (ec)
        return false;
    size = static_cast<long long>(bytes);
    time = static_cast<long long>(written.time_since_epoch().count());
    return true;
}

bool heldNetworkFits(const SharedState& s)
{
    const HeldNetwork& held = s.heldNetwork;
    long long size = 0;
    long long time = 0;
    return !held.file.empty() && held.file == s.dataFileName && held.kind == s.networkKind &&
           held.pictureInserted == s.pictureInserted && s.dataEdited == 0 && s.fileOpen == 1 &&
           stampOf(held.file, size, time) && size == held.fileSize && time == held.fileTime;
}

// Everything a build does after its network stands.
bool finishNetwork(RunContext& ctx, bool labelPoints)
{
    if (ctx.view.buildShown()) {
        markAndLabelPoints(ctx, labelPoints);
        drawPlotFrame(ctx);
    } else if (ctx.panel.pointLabelMode == 0) {
        // As marking the points leaves it, for the Draw that follows.
        ctx.panel.pointLabelMode = 1;
    }
    const bool written = exportWorkingFiles(ctx);
    ctx.view.progressStrip().clear();
    return written;
}

} // namespace

bool buildNetwork(RunContext& ctx, bool labelPoints, SurveyReadResult* justRead)
{
    SharedState& s = ctx.state;
    s.heldNetwork = {};
    // The last Draw's curves stand in the old network's shift, which a
    // build may change: they no longer belong to what is shown.
    s.keptCurves.clear();
    if (!prepareNetwork(ctx, justRead))
        return false;
    std::vector<std::array<int, 3>> drawn;
    bool complete = false;
    if (s.networkKind == 3) {
        replacePointsByGrid(ctx, k3dGridSize);
    } else {
        if (s.networkKind == 2) {
            const GridSize size = optimizedGridSize(s.recordCount, s.xMax - s.xMin, s.yMax - s.yMin);
            replacePointsByGrid(ctx, size);
        }
        readDisplayOptions(ctx.panel);
        if (!triangulatePoints(ctx, drawn, complete))
            return false;
    }
    const bool written = finishNetwork(ctx, labelPoints);
    HeldNetwork held{s.dataFileName, -1, 0, s.networkKind, s.pictureInserted, std::move(drawn), {}};
    if (written && complete && stampOf(held.file, held.fileSize, held.fileTime)) {
        held.workingFiles = workingFilesStamp();
        s.heldNetwork = std::move(held);
    }
    return written;
}

bool redrawNetwork(RunContext& ctx, bool labelPoints)
{
    SharedState& s = ctx.state;
    if (!heldNetworkFits(s))
        return buildNetwork(ctx, labelPoints);
    prepareDrawingArea(ctx);
    readDisplayOptions(ctx.panel);
    const auto& drawn = s.heldNetwork.drawn;
    // The triangle that draws each point's circle last.
    std::vector<std::size_t> lastCircle(s.pointX.size(), 0);
    for (std::size_t n = 0; n < drawn.size(); ++n) {
        for (const int corner : drawn[n])
            lastCircle.at(static_cast<std::size_t>(corner)) = n;
    }
    StripProgress progress(ctx.view.progressStrip());
    for (std::size_t n = 0; n < drawn.size(); ++n) {
        CircledCorners circled{};
        for (std::size_t c = 0; c < 3; ++c)
            circled[c] = lastCircle[static_cast<std::size_t>(drawn[n][c])] == n;
        if (!showTriangle(ctx, progress, drawn[n], static_cast<int>(n) + 1, circled))
            return false;
    }
    return finishNetwork(ctx, labelPoints);
}

} // namespace tervane
