#include "ui/HeadlessRender.h"

#include "engine/commands/MainCommands.h"
#include "engine/hpgl/PlayCommand.h"
#include "engine/hpgl/PlotFileWriter.h"
#include "engine/network/WorkingFiles.h"
#include "ui/HeadlessView.h"
#include "ui/StderrPrompter.h"
#include "ui/VectorExport.h"

#include <filesystem>
#include <ostream>

namespace tervane {

namespace {

bool saveImages(const HeadlessView& view, const HeadlessJob& line, std::ostream& out, std::ostream& err)
{
    const QtCanvas& image = view.drawingImage();
    const DrawingRecord& record = view.drawingRecord();
    const auto png = [&](const std::string& p) { return writeOutputFile(p, imageBytes(image.image(), "PNG")); };
    const auto bmp = [&](const std::string& p) { return writeOutputFile(p, imageBytes(image.image(), "BMP")); };
    const auto svg = [&](const std::string& p) { return writeVectorDrawing(p, record, VectorFormat::Svg); };
    const auto pdf = [&](const std::string& p) { return writeVectorDrawing(p, record, VectorFormat::Pdf); };
    // Each is tried, in this order, so every failure is said, not only the first.
    const bool pngWritten = writeHeadlessOutput(line.pngPath, png, out, err);
    const bool bmpWritten = writeHeadlessOutput(line.bmpPath, bmp, out, err);
    const bool svgWritten = writeHeadlessOutput(line.svgPath, svg, out, err);
    const bool pdfWritten = writeHeadlessOutput(line.pdfPath, pdf, out, err);
    return pngWritten && bmpWritten && svgWritten && pdfWritten;
}

// Why a plot file cannot be played, or empty when it may be tried.
std::string unplayableReason(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path file(path);
    if (!std::filesystem::exists(file, ec))
        return "no such file";
    if (!std::filesystem::is_regular_file(file, ec))
        return "not a file";
    return {};
}

} // namespace

bool writeHeadlessOutput(const std::string& path, const std::function<WriteOutcome(const std::string&)>& write,
                         std::ostream& out, std::ostream& err)
{
    if (path.empty())
        return true;
    if (const WriteOutcome outcome = write(path); !outcome) {
        if (outcome.errnoValue == kNotMade)
            err << "tervane: cannot write " << path << ": the picture could not be made\n";
        else
            err << "tervane: cannot write " << path << ": " << writeFailureMessage(path, outcome) << '\n';
        return false;
    }
    out << "wrote " << path << '\n';
    return true;
}

int renderHeadless(const HeadlessJob& line, std::ostream& out, std::ostream& err)
{
    SharedState state;
    PanelSettings panel = line.panel;
    HeadlessView view(line.scale);
    if (!line.svgPath.empty() || !line.pdfPath.empty())
        view.recordDrawing();
    StderrPrompter prompter(err);
    NoEscapeKey escape;
    Random random;
    if (line.seed)
        random.setFixedSeed(*line.seed);
    RunContext ctx{state, panel, view, prompter, escape, random};
    MainCommands commands(ctx);
    // From the build to the Draw's read-back the working files are this run's.
    const WorkingFilesLock lock({}, [&err] {
        err << "tervane: waiting for another run in this folder to finish with its working files ("
            << kWorkingLockFile << ")\n";
    });

    commands.startUp();
    if (!line.picturePath.empty()) {
        if (!view.drawingArea().loadPicture(line.picturePath)) {
            err << "tervane: cannot load the picture " << line.picturePath << '\n';
            return 1;
        }
        state.pictureInserted = 1;
        state.pictureFileName = line.picturePath;
    }
    // After start-up, which turns every kind but 3D into raw.
    state.networkKind = line.networkKind;
    if (line.file)
        commands.open(*line.file);
    // A plan drawing follows a successful open; the 3D network has none.
    if (state.fileOpen == 1 && prompter.messageCount() == 0 && state.networkKind != 3)
        commands.draw();
    // A failure always shows one of the program's messages.
    const bool ok = state.fileOpen == 1 && prompter.messageCount() == 0;
    // After a failure no image is written: a half-drawn or black picture
    // beside a message would pass for a result.
    if (!ok)
        return 1;
    for (const std::string& name : {kNdxFile, kXyzFile, kOxyFile, kDhFile})
        out << "wrote " << name << '\n';
    if (state.networkKind == 3)
        out << "wrote " << kD3dFile << '\n';
    // The run switches recording off at its end; the job says whether it was on.
    if (line.panel.check15)
        out << "wrote " << plotFileName(state.dataFileName) << '\n';
    if (line.panel.reportCrossings && state.crossings.curves >= 0)
        out << "crossings: " << state.crossings.curves << " curves, " << state.crossings.crossingPairs
            << " crossing pairs, " << state.crossings.outOfBand << " stretches out of band, "
            << state.crossings.mendedCurves << " curves mended, farthest move "
            << state.crossings.largestMendPixels << " px\n";
    return saveImages(view, line, out, err) ? 0 : 1;
}

int playHeadless(const HeadlessJob& line, std::ostream& out, std::ostream& err)
{
    const std::string path = line.file.value_or(std::string());
    if (const std::string reason = unplayableReason(path); !reason.empty()) {
        err << "tervane: cannot play " << path << ": " << reason << '\n';
        return 1;
    }
    SharedState state;
    PanelSettings panel = line.panel;
    HeadlessView view(line.scale);
    if (!line.svgPath.empty() || !line.pdfPath.empty())
        view.recordDrawing();
    StderrPrompter prompter(err);
    NoEscapeKey escape;
    Random random;
    RunContext ctx{state, panel, view, prompter, escape, random};
    MainCommands commands(ctx);

    commands.startUp();
    if (playCommand(ctx, path) != PlaybackEnd::Completed) {
        err << "tervane: cannot play " << path
            << ": it cannot be read, or its pen-down lines span no width or no height\n";
        return 1;
    }
    return saveImages(view, line, out, err) ? 0 : 1;
}

} // namespace tervane
