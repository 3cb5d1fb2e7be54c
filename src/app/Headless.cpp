#include "app/Headless.h"

#include "app/OutputClash.h"
#include "engine/hpgl/PlotFileWriter.h"
#include "engine/network/WorkingFiles.h"
#include "engine/survey/DataCheck.h"
#include "engine/view3d/LevelColours.h"
#include "ui/HeadlessRender.h"
#include "ui/HeadlessView3d.h"

#include <ostream>

namespace tervane {

namespace {

HeadlessJob jobOf(const CommandLine& line)
{
    HeadlessJob job;
    job.file = line.file;
    job.networkKind = line.networkKind;
    job.seed = line.seed;
    job.panel = line.panel;
    job.pngPath = line.pngPath;
    job.bmpPath = line.bmpPath;
    job.picturePath = line.picturePath;
    job.svgPath = line.svgPath;
    job.pdfPath = line.pdfPath;
    job.scale = line.scale;
    job.contoursPath = line.contoursPath;
    job.exportPoints = line.exportPoints;
    job.exportNetwork = line.exportNetwork;
    job.crs = line.crs;
    return job;
}

// The images a run was asked for.
std::vector<RunFile> imageOutputs(const std::string& png, const std::string& bmp, const std::string& svg,
                                  const std::string& pdf)
{
    return {{"--png", png}, {"--bmp", bmp}, {"--svg", svg}, {"--pdf", pdf}};
}

// The working files the network build writes to the current folder; the
// grid networks write the 3D view's grid file too.
void addWorkingFiles(std::vector<RunFile>& outputs, bool grid)
{
    for (const std::string& name : {kNdxFile, kXyzFile, kOxyFile, kDhFile})
        outputs.push_back({"the working file", name});
    if (grid)
        outputs.push_back({"the working file", kD3dFile});
}

// Checked before the run writes anything, the working files included: an
// output that names an input would destroy it, and two outputs of one name
// would leave only the last. Status 2, as for any other mistake on the line.
bool refuseClash(const std::vector<RunFile>& outputs, const std::vector<RunFile>& inputs, std::ostream& err)
{
    const auto clash = outputClash(outputs, inputs);
    if (clash)
        err << "tervane: " << *clash << '\n';
    return clash.has_value();
}

constexpr int kUsageStatus = 2;

} // namespace

int runRender(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    HeadlessJob job = jobOf(line);
    // A render with nothing to keep would draw the map and throw it away.
    if (job.pngPath.empty() && job.bmpPath.empty() && job.svgPath.empty() && job.pdfPath.empty() &&
        !job.panel.check15) {
        err << "tervane: render needs --png, --bmp, --svg, --pdf or --hpgl to keep its drawing\n";
        return kUsageStatus;
    }
    if (job.file)
        job.file = dialogPath(*job.file);
    const std::string data = job.file.value_or(std::string());
    std::vector<RunFile> outputs = imageOutputs(job.pngPath, job.bmpPath, job.svgPath, job.pdfPath);
    if (job.panel.check15 && !data.empty())
        outputs.push_back({"the plot file of --hpgl", plotFileName(data)});
    addWorkingFiles(outputs, job.networkKind != 1);
    if (refuseClash(outputs, {{"the data file", data}, {"--picture", job.picturePath}}, err))
        return kUsageStatus;
    return renderHeadless(job, out, err);
}

int runPlay(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    const HeadlessJob job = jobOf(line);
    if (refuseClash(imageOutputs(job.pngPath, job.bmpPath, job.svgPath, job.pdfPath),
                    {{"the plot file played", job.file.value_or(std::string())}}, err))
        return kUsageStatus;
    return playHeadless(job, out, err);
}

int runCheck(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    const DataCheckReport report = checkSurveyFile(line.file.value_or(std::string()),
                                                   checkOptionsFor(line.networkKind, line.panel.intervalText));
    if (report.outcome == DataCheckOutcome::Unreadable) {
        err << report.text();
        return static_cast<int>(report.outcome);
    }
    out << report.text();
    return static_cast<int>(report.outcome);
}

int runView3d(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    View3dJob job = line.view3d;
    job.file = dialogPath(job.file);
    std::vector<RunFile> outputs = imageOutputs(job.pngPath, job.bmpPath, job.svgPath, job.pdfPath);
    addWorkingFiles(outputs, true);
    if (refuseClash(outputs, {{"the data file", job.file}, {"the colour table", LevelColours().pathOf(job.table)}},
                    err))
        return kUsageStatus;
    return view3dHeadless(job, out, err);
}

} // namespace tervane
