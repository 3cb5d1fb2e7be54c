#include "engine/network/NetworkBuilder.h"

#include "engine/base/Limits.h"
#include "engine/commands/MainCommands.h"
#include "engine/commands/PlotFrame.h"
#include "engine/network/GridBuilder.h"
#include "engine/network/NetworkPreparation.h"
#include "engine/network/NetworkTexts.h"
#include "engine/network/PointMarks.h"
#include "engine/network/Triangulator.h"
#include "engine/network/WorkingFiles.h"

namespace tervane {

namespace {

// Draws a new triangle and its corner circles, advances the progress bar
// and polls Esc first; false when the build must stop.
bool showTriangle(RunContext& ctx, const Triangulation& t, int n)
{
    if (ctx.escape.isDown()) {
        clearAfterEscape(ctx);
        return false;
    }
    const SharedState& s = ctx.state;
    const PanelSettings& panel = ctx.panel;
    Canvas& drawing = ctx.view.drawingArea();
    const auto i = static_cast<std::size_t>(n);
    const int corners[3] = {t.vertexA[i], t.vertexB[i], t.vertexC[i]};
    double px[3], py[3];
    for (int c = 0; c < 3; ++c) {
        px[c] = s.pointX[static_cast<std::size_t>(corners[c])] * s.plotScale;
        py[c] = s.pointY[static_cast<std::size_t>(corners[c])] * s.plotScale;
    }
    drawing.line(px[0], py[0], px[1], py[1], panel.wangxian);
    drawing.line(px[1], py[1], px[2], py[2], panel.wangxian);
    drawing.line(px[2], py[2], px[0], py[0], panel.wangxian);
    for (int c = 0; c < 3; ++c)
        drawing.circle(px[c], py[c], 8, panel.dian);
    showProgress(ctx.view.progressStrip(),
                 static_cast<double>(n) / 2 / static_cast<double>(s.recordCount + 1));
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

// Triangulates the points in the point arrays, drawing as it goes. False
// when Esc stopped it or no triangle could be made.
bool triangulatePoints(RunContext& ctx)
{
    SharedState& s = ctx.state;
    Canvas& strip = ctx.view.progressStrip();
    TriangulationCallbacks callbacks;
    callbacks.seedScanned = [&strip](long i, long n) {
        showProgress(strip, static_cast<double>(i) / static_cast<double>(n + 1));
    };
    callbacks.triangleCreated = [&ctx](const Triangulation& t, int n) {
        return showTriangle(ctx, t, n);
    };
    TriangulationResult result = triangulate(s.pointX, s.pointY, s.pointZ, s.recordCount, callbacks);
    keepTables(s, std::move(result.tables));
    switch (result.end) {
    case TriangulationEnd::Complete:
        return true;
    case TriangulationEnd::Stopped:
        return false;
    case TriangulationEnd::CapReached:
        ctx.prompter.message(text::kNetworkIncomplete);
        return true;
    case TriangulationEnd::NoTriangle:
        break;
    }
    strip.clear();
    ctx.prompter.message(text::kCollinearPoints);
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
    weightGridValues(grid, s.pointX, s.pointY, s.pointZ, s.recordCount, [&strip](long k, long nodes) {
        showProgress(strip, static_cast<double>(k) / static_cast<double>(nodes + 1));
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
bool prepareNetwork(RunContext& ctx)
{
    SharedState& s = ctx.state;
    prepareDrawingArea(ctx);
    if (s.fileOpen == 0) {
        ctx.prompter.message(text::kFileNotOpen);
        return false;
    }
    if (!loadSurveyPoints(ctx))
        return false;
    // Too few points to export are refused before anything is drawn, so a
    // refusal never leaves a network on screen that Draw could not use.
    if (s.recordCount < limits::kMinPoints) {
        ctx.prompter.message(text::kTooFewPoints);
        return false;
    }
    if (!findExtents(ctx) || !setPlotScale(ctx))
        return false;
    if (s.networkKind != 2 && s.networkKind != 3 && pointsCollinear(s)) {
        ctx.prompter.message(text::kCollinearPoints);
        s.fileOpen = 0;
        return false;
    }
    shiftPoints(ctx);
    return true;
}

} // namespace

bool buildNetwork(RunContext& ctx)
{
    SharedState& s = ctx.state;
    if (!prepareNetwork(ctx))
        return false;
    if (s.networkKind == 3) {
        replacePointsByGrid(ctx, k3dGridSize);
    } else {
        if (s.networkKind == 2) {
            const GridSize size = optimizedGridSize(s.recordCount, s.xMax - s.xMin, s.yMax - s.yMin);
            replacePointsByGrid(ctx, size);
        }
        readDisplayOptions(ctx.panel);
        if (!triangulatePoints(ctx))
            return false;
    }
    markAndLabelPoints(ctx);
    drawPlotFrame(ctx);
    const bool written = exportWorkingFiles(ctx);
    ctx.view.progressStrip().clear();
    return written;
}

} // namespace tervane
