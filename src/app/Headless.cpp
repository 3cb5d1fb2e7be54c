#include "app/Headless.h"

#include "app/OutputClash.h"
#include "engine/hpgl/PlotFileWriter.h"
#include "engine/interchange/PointImport.h"
#include "engine/network/WorkingFiles.h"
#include "engine/survey/DataCheck.h"
#include "engine/view3d/LevelColours.h"
#include "ui/HeadlessRender.h"
#include "ui/HeadlessView3d.h"

#include <ostream>
#include <sstream>

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
    job.reportFill = line.reportFill;
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
constexpr int kRefusedStatus = 1;

// Each line of a report, as the command line's own words.
void tell(std::ostream& stream, const std::string& text)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        stream << "tervane: " << line << '\n';
}

// A file to import stands in for the data file: the survey file made from
// it lives for the run only. False (the reason told) when it was refused.
bool importForRun(const std::string& input, const ImportOptions& options, ImportedSurvey& survey, std::ostream& out,
                  std::ostream& err)
{
    const ImportReport report = survey.make(input, options);
    if (!report.ok) {
        tell(err, report.text());
        return false;
    }
    out << report.text();
    return true;
}

} // namespace

int runRender(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    HeadlessJob job = jobOf(line);
    // A render with nothing to keep would draw the map and throw it away.
    if (job.pngPath.empty() && job.bmpPath.empty() && job.svgPath.empty() && job.pdfPath.empty() &&
        !job.panel.check15 && job.contoursPath.empty() && !job.reportFill) {
        err << "tervane: render needs --png, --bmp, --svg, --pdf, --hpgl or --contours to keep its drawing\n";
        return kUsageStatus;
    }
    if (job.file)
        job.file = dialogPath(*job.file);
    const std::string data = job.file.value_or(std::string());
    std::vector<RunFile> outputs = imageOutputs(job.pngPath, job.bmpPath, job.svgPath, job.pdfPath);
    if (job.panel.check15 && !data.empty())
        outputs.push_back({"the plot file of --hpgl", plotFileName(data)});
    outputs.push_back({"--contours", job.contoursPath});
    addWorkingFiles(outputs, job.networkKind != 1);
    if (refuseClash(outputs, {{"the data file", data}, {"--picture", job.picturePath}}, err))
        return kUsageStatus;
    ImportedSurvey imported;
    if (isImportInput(data)) {
        if (!importForRun(data, line.import, imported, out, err))
            return kRefusedStatus;
        job.file = imported.path();
    }
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
    std::string file = line.file.value_or(std::string());
    ImportedSurvey imported;
    if (isImportInput(file)) {
        // What cannot be imported cannot be drawn: its report is the finding.
        const ImportReport importReport = imported.make(dialogPath(file), line.import);
        if (!importReport.ok) {
            out << importReport.text();
            return kRefusedStatus;
        }
        file = imported.path();
    }
    const DataCheckReport report = checkSurveyFile(file,
                                                   checkOptionsFor(line.networkKind, line.panel.intervalText));
    // The findings name the file the user gave, not the run's own copy.
    std::string text = report.text();
    if (!imported.path().empty())
        for (std::size_t at = text.find(imported.path()); at != std::string::npos;
             at = text.find(imported.path(), at + 1))
            text.replace(at, imported.path().size(), dialogPath(*line.file));
    if (report.outcome == DataCheckOutcome::Unreadable) {
        err << text;
        return static_cast<int>(report.outcome);
    }
    out << text;
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
    ImportedSurvey imported;
    if (isImportInput(job.file)) {
        if (!importForRun(job.file, {}, imported, out, err))
            return kRefusedStatus;
        job.file = imported.path();
    }
    return view3dHeadless(job, out, err);
}

int runImport(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    const std::string input = dialogPath(line.file.value_or(std::string()));
    const std::string output = dialogPath(line.importOutput);
    if (refuseClash({{"the survey file", output}}, {{"the file imported", input}}, err))
        return kUsageStatus;
    const ImportReport report = importPoints(input, output, line.import);
    if (!report.ok) {
        tell(err, report.text());
        return kRefusedStatus;
    }
    out << report.text() << "wrote " << output << '\n';
    return 0;
}

} // namespace tervane
