#include "ui/HeadlessView3d.h"

#include "engine/base/NullCanvas.h"
#include "engine/commands/MainCommands.h"
#include "engine/view3d/SurfaceDrawer.h"
#include "ui/HeadlessRender.h"
#include "ui/HeadlessView.h"
#include "ui/StderrPrompter.h"
#include "ui/SurfaceArea.h"
#include "ui/VectorExport.h"

#include <ostream>

namespace tervane {

namespace {

// The drawing area and the progress strip of the view, in twips.
constexpr double kAreaWidth = 7695, kAreaHeight = 7575;
constexpr double kStripWidth = 7665, kStripHeight = 135;

// The 3D network of the file, built as the window builds it; false after
// any of the program's messages.
bool build3dNetwork(const View3dJob& job, StderrPrompter& prompter)
{
    SharedState state;
    PanelSettings panel;
    HeadlessView view;
    NoEscapeKey escape;
    Random random;
    if (job.seed)
        random.setFixedSeed(*job.seed);
    RunContext ctx{state, panel, view, prompter, escape, random};
    MainCommands commands(ctx);
    commands.startUp();
    state.networkKind = 3;
    commands.open(job.file);
    if (state.fileOpen != 1 || prompter.messageCount() != 0)
        return false;
    return commands.view3d() == WindowChange::Open3dView;
}

} // namespace

int view3dHeadless(const View3dJob& job, std::ostream& out, std::ostream& err)
{
    StderrPrompter prompter(err);
    if (!build3dNetwork(job, prompter))
        return 1;

    SurfaceGrid grid;
    if (const auto fault = grid.load()) {
        err << "tervane: " << *fault << '\n';
        return 1;
    }
    grid.classifyInitial(job.levelCount);
    SurfaceProjection projection;
    if (!projection.enterHeight(job.height) || !projection.enterAngle(job.angle)) {
        err << "tervane: the angle or height is not accepted\n";
        return 1;
    }
    LevelColours colours;
    const ColourTableLoad table = colours.load(job.table);
    if (!table.notice.empty())
        prompter.message(table.notice);
    // An all-black picture is no result: without a table nothing is drawn.
    if (!table.usable())
        return 1;
    colours.setPercents(job.brightness[0], job.brightness[1], job.brightness[2]);

    // A real redraw at the scale asked for: lines and cells are drawn at that
    // many image pixels to a view pixel, not enlarged afterwards.
    QtCanvas area(kAreaWidth, kAreaHeight, job.scale);
    area.setBackColour(job.background);
    NullCanvas progress(kStripWidth, kStripHeight);
    NoEscapeKey escape;
    SurfaceOptions options;
    options.levelCount = job.levelCount;
    options.zoomMargin = job.zoom;
    options.showGrid = job.grid;
    options.floating = job.floating;
    options.preview = job.preview;
    drawSurface(grid, projection, projection.viewAngle, colours, options, {area, progress, escape, prompter});

    const QImage picture = surfaceCutOut(area.image());
    const auto image = [&](const char* format) {
        return [&picture, format](const std::string& p) { return writeOutputFile(p, imageBytes(picture, format)); };
    };
    const auto vector = [&](VectorFormat format) {
        return [&picture, format](const std::string& p) { return writeVectorPicture(p, picture, format); };
    };
    const bool png = writeHeadlessOutput(job.pngPath, image("PNG"), out, err);
    const bool bmp = writeHeadlessOutput(job.bmpPath, image("BMP"), out, err);
    const bool svg = writeHeadlessOutput(job.svgPath, vector(VectorFormat::Svg), out, err);
    const bool pdf = writeHeadlessOutput(job.pdfPath, vector(VectorFormat::Pdf), out, err);
    return png && bmp && svg && pdf ? 0 : 1;
}

} // namespace tervane
