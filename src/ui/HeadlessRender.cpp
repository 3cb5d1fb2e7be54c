#include "ui/HeadlessRender.h"

#include "engine/commands/MainCommands.h"
#include "engine/hpgl/PlayCommand.h"
#include "engine/hpgl/PlotFileWriter.h"
#include "engine/interchange/ContourExport.h"
#include "engine/network/WorkingFiles.h"
#include "engine/state/LegendLayout.h"
#include "ui/HeadlessView.h"
#include "ui/StderrPrompter.h"
#include "ui/VectorExport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>

namespace tervane {

namespace {

// The map with the legend's strip to its right, pixel for pixel: the map's
// own pixels are copied untouched, never redrawn or scaled.
QImage besideEachOther(const QImage& map, const QImage& strip)
{
    const QImage left = map.convertToFormat(QImage::Format_RGB32);
    const QImage right = strip.convertToFormat(QImage::Format_RGB32);
    QImage both(left.width() + right.width(), std::max(left.height(), right.height()), QImage::Format_RGB32);
    both.fill(right.pixel(0, 0));
    const auto bytes = [](const QImage& part) { return static_cast<std::size_t>(part.width()) * sizeof(QRgb); };
    for (int y = 0; y < left.height(); ++y)
        std::memcpy(both.scanLine(y), left.constScanLine(y), bytes(left));
    for (int y = 0; y < right.height(); ++y)
        std::memcpy(both.scanLine(y) + bytes(left), right.constScanLine(y), bytes(right));
    both.setDevicePixelRatio(map.devicePixelRatio());
    return both;
}

// The legend beside the map, drawn at the map's pixel ratio and height so
// that it scales with it, as pixels and (when a vector file is asked for)
// as a record of its own.
class LegendStrip {
public:
    LegendStrip(const HeadlessView& view, const MapLegend& legend, const PanelSettings& panel, bool vectors)
        : canvas_(legendPixelWidth(legend, view.drawingImage()) * kTwipsPerPixel, view.drawingImage().height(),
                  view.drawingImage().image().devicePixelRatio()),
          record_(canvas_.pixelWidth(), canvas_.pixelHeight())
    {
        if (vectors)
            canvas_.setRecord(&record_);
        drawLegend(canvas_, legend, panel);
        canvas_.setRecord(nullptr);
    }

    const QImage& image() const { return canvas_.image(); }
    const DrawingRecord& record() const { return record_; }

private:
    QtCanvas canvas_;
    DrawingRecord record_;
};

bool saveImages(const HeadlessView& view, const HeadlessJob& line, const LegendStrip* legend, std::ostream& out,
                std::ostream& err)
{
    const QImage image = legend ? besideEachOther(view.drawingImage().image(), legend->image())
                                : view.drawingImage().image();
    const DrawingRecord& record = view.drawingRecord();
    const DrawingRecord* strip = legend ? &legend->record() : nullptr;
    const auto png = [&](const std::string& p) { return writeOutputFile(p, imageBytes(image, "PNG")); };
    const auto bmp = [&](const std::string& p) { return writeOutputFile(p, imageBytes(image, "BMP")); };
    const auto svg = [&](const std::string& p) { return writeVectorDrawing(p, record, VectorFormat::Svg, strip); };
    const auto pdf = [&](const std::string& p) { return writeVectorDrawing(p, record, VectorFormat::Pdf, strip); };
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

// The contours of the run (and what goes with them) in a CAD or GIS file,
// each file said as it lands.
bool exportContours(const SharedState& state, const HeadlessJob& line, std::ostream& out, std::ostream& err)
{
    if (line.contoursPath.empty())
        return true;
    // Only a plan drawing traces contours.
    if (state.networkKind == 3) {
        err << "tervane: cannot write " << line.contoursPath << ": the 3D network draws no contours\n";
        return false;
    }
    const ExportSet set = exportSetFromState(state, {line.exportPoints, line.exportNetwork});
    const ExportResult result = writeContourExport(line.contoursPath, set, line.crs);
    if (!result.ok) {
        err << "tervane: cannot write " << line.contoursPath << ": " << result.message << '\n';
        return false;
    }
    for (const std::string& file : result.written)
        out << "wrote " << file << '\n';
    return true;
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
    if (!line.contoursPath.empty())
        panel.keepCurves = true;
    HeadlessView view(line.scale);
    view.setStripsShown(false);
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
    // A plan drawing's Draw starts from a clear (without a picture under
    // it), so nothing the build would draw is ever seen.
    view.setBuildShown(state.networkKind == 3 || !line.picturePath.empty());
    if (line.file)
        commands.open(*line.file);
    view.setBuildShown(true);
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
            << " crossing segment pairs, " << state.crossings.curvePairs << " pairs of curves that meet, "
            << state.crossings.outOfBand << " stretches out of band, " << state.crossings.mendedCurves
            << " curves mended, farthest move "
            << state.crossings.largestMendPixels << " px\n";
    if (line.reportFill)
        out << fillReport(state.legend);
    std::optional<LegendStrip> legend;
    if (legendShown(panel, state.legend))
        legend.emplace(view, state.legend, panel, !line.svgPath.empty() || !line.pdfPath.empty());
    const bool saved = saveImages(view, line, legend ? &*legend : nullptr, out, err);
    return exportContours(state, line, out, err) && saved ? 0 : 1;
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
    view.setStripsShown(false);
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
    // A played plot file carries no levels, so it has no legend.
    return saveImages(view, line, nullptr, out, err) ? 0 : 1;
}

} // namespace tervane
