#include "engine/state/Texts.h"
#include "engine/network/NetworkBuilder.h"
#include "engine/network/NetworkPreparation.h"
#include "engine/network/NetworkTexts.h"
#include "engine/network/WorkingFiles.h"
#include "engine/base/Limits.h"

#include <sys/stat.h>

#include <stdexcept>
#include <string>

namespace tervane {

namespace {

NdxHeader makeHeader(const SharedState& s)
{
    NdxHeader h;
    h.triangleRows = static_cast<float>(s.triangleCursor);
    h.zMax = static_cast<float>(s.zMax);
    h.zMin = static_cast<float>(s.zMin);
    h.recordCount = static_cast<float>(s.recordCount);
    h.xMax = static_cast<float>(s.xMax);
    h.xMin = static_cast<float>(s.xMin);
    h.yMax = static_cast<float>(s.yMax);
    h.yMin = static_cast<float>(s.yMin);
    return h;
}

// The points as dzx.XYZ holds them, each marked on the drawing area as it
// is taken.
std::vector<XyzRecord> takePoints(RunContext& ctx)
{
    const SharedState& s = ctx.state;
    Canvas& drawing = ctx.view.drawingArea();
    const bool shown = ctx.view.buildShown();
    std::vector<XyzRecord> points;
    points.reserve(static_cast<std::size_t>(s.recordCount));
    for (std::size_t i = 1; i <= static_cast<std::size_t>(s.recordCount); ++i) {
        points.push_back({static_cast<float>(s.pointX[i]), static_cast<float>(s.pointY[i]),
                          static_cast<float>(s.pointZ[i])});
        if (shown)
            drawing.circle(s.pointX[i] * s.plotScale, s.pointY[i] * s.plotScale, 8, ctx.panel.dian);
    }
    return points;
}

std::vector<OxyRecord> takeCentres(const SharedState& s)
{
    std::vector<OxyRecord> centres;
    centres.reserve(static_cast<std::size_t>(s.triangleCount));
    for (std::size_t t = 1; t <= static_cast<std::size_t>(s.triangleCount); ++t)
        centres.push_back({static_cast<float>(s.triCentreX[t]), static_cast<float>(s.triCentreY[t]),
                           static_cast<float>(s.triCentreZ[t])});
    return centres;
}

std::vector<DhRecord> takeTriangles(const SharedState& s)
{
    std::vector<DhRecord> rows;
    rows.reserve(static_cast<std::size_t>(s.triangleCursor));
    for (std::size_t t = 1; t <= static_cast<std::size_t>(s.triangleCursor); ++t) {
        const auto& n = s.triNeighbour[t];
        rows.push_back({static_cast<float>(s.triVertexA[t]), static_cast<float>(s.triVertexB[t]),
                        static_cast<float>(s.triVertexC[t]), static_cast<float>(n[1]),
                        static_cast<float>(n[2]), static_cast<float>(n[3])});
    }
    return rows;
}

bool written(RunContext& ctx, bool ok, const std::string& name)
{
    if (!ok)
        ctx.prompter.message(text::workingFileUnwritable(name));
    return ok;
}

} // namespace

std::string workingFilesStamp()
{
    std::string stamp;
    for (const std::string& name : {kNdxFile, kXyzFile, kOxyFile, kDhFile}) {
        struct stat st {};
        if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return {};
        stamp += std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' + std::to_string(st.st_size) +
                 ':' + std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec) + ' ';
    }
    return stamp;
}

bool exportWorkingFiles(RunContext& ctx)
{
    SharedState& s = ctx.state;
    if (s.fileOpen == 0) {
        ctx.prompter.message(text::kFileNotOpen);
        return false;
    }
    if (s.newFileMode == 1) {
        ctx.view.openRecordEditor();
        s.newFileMode = 0;
        return false;
    }
    if (s.recordCount < limits::kMinPoints) {
        reportDataProblem(ctx, text::kTooFewPoints);
        return false;
    }
    fillEmptyPanelBoxes(ctx.panel);
    // The tables must hold what the header promises, or a reader would be
    // sent past the end of the rows.
    if (s.triangleCursor > s.triangleCount
        || s.triNeighbour.size() <= static_cast<std::size_t>(s.triangleCount)
        || s.pointX.size() <= static_cast<std::size_t>(s.recordCount))
        throw std::logic_error("Network tables are shorter than their counts: probably a bug");
    if (!s.heldNetwork.workingFiles.empty() && s.heldNetwork.workingFiles == workingFilesStamp()) {
        takePoints(ctx);
        return true;
    }
    const bool ok = written(ctx, writeNdx(makeHeader(s)), kNdxFile)
                    && written(ctx, writeXyz(takePoints(ctx)), kXyzFile)
                    && written(ctx, writeOxy(takeCentres(s)), kOxyFile)
                    && written(ctx, writeDh(takeTriangles(s)), kDhFile);
    // Written again from a held network's tables (say after another run in
    // the folder replaced them): they stand for it from now on.
    if (!s.heldNetwork.drawn.empty())
        s.heldNetwork.workingFiles = ok ? workingFilesStamp() : std::string();
    return ok;
}

} // namespace tervane
