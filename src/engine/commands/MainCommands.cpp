#include "engine/commands/MainCommands.h"

#include "engine/state/PlotFrame.h"
#include "engine/contour/ContourRun.h"
#include "engine/survey/SurveyFile.h"
#include "engine/network/NetworkBuilder.h"
#include "engine/network/NetworkPreparation.h"
#include "engine/state/PictureMemo.h"
#include "engine/base/Limits.h"
#include "engine/network/NetworkTexts.h"
#include "engine/base/NumberText.h"
#include "engine/view3d/LevelColours.h"

#include <cerrno>
#include <cmath>
#include <cstdio>

namespace tervane {

namespace {

const Colour kDarkGreen = rgb(0, 128, 0);
const Colour kGreen = rgb(0, 255, 0);

std::string trimBlanks(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

void fillBackground(RunContext& ctx)
{
    Canvas& area = ctx.view.drawingArea();
    area.filledBox(1, 1, area.width(), area.height(), ctx.panel.beijing);
}

void drawProgress(Canvas& strip, double done, double total)
{
    strip.filledBox(1, 1, done * strip.width() / total, strip.height(), strip.foreColour());
}

// An empty box is taken as 1 by the run; anything else must read as a
// number above 0, or the run would divide by it.
bool intervalUsable(const std::string& text)
{
    if (text.find_first_not_of(' ') == std::string::npos)
        return true;
    const double v = leadingNumber(text);
    return std::isfinite(v) && v > 0;
}

} // namespace

void MainCommands::startUp()
{
    SharedState& s = ctx_.state;
    s.plotScale = 1;
    Canvas& area = ctx_.view.drawingArea();
    setDrawingFrame(area, false);
    if (!readPictureMemo())
        area.clearPicture();
    if (pictureMemoIsNotAFile())
        ctx_.view.showNotice(kPictureMemoNotAFile);
    area.setDrawStyle(kSolid);
    if (s.networkKind == 3) {
        ctx_.view.setStatus(text::k3dNetwork, kDarkGreen, kGreen);
    } else {
        s.networkKind = 1;
        ctx_.view.setStatus(text::kRawNetwork, kDarkGreen, kGreen);
    }
    // A picture moved or deleted since it was inserted is let go: the area
    // opens without it, in the plain frame, and says so.
    if (s.pictureInserted == 1 && !area.loadPicture(s.pictureFileName)) {
        ctx_.view.showNotice(text::kPictureGone + s.pictureFileName);
        area.clearPicture();
        s.pictureInserted = 0;
        s.pictureFileName.clear();
    }
    // The ruler margins take the background colour too, so the whole area
    // reads as one surface before anything is drawn.
    area.setBackColour(ctx_.panel.beijing);
    fillBackground(ctx_);
}

bool MainCommands::requireFile()
{
    if (ctx_.state.fileOpen != 0)
        return true;
    ctx_.prompter.message(text::kFileNotOpen);
    return false;
}

bool MainCommands::openDataFile(const std::optional<std::string>& presetPath)
{
    SharedState& s = ctx_.state;
    Canvas& area = ctx_.view.drawingArea();
    editorRequested_ = false;

    s.fileOpen = 0;
    if (s.pictureInserted == 0)
        fillBackground(ctx_);
    area.setDrawWidth(1);
    area.setDrawStyle(kSolid);

    const std::optional<std::string> chosen =
        presetPath ? presetPath : ctx_.prompter.openFile(text::kOpenFilter, 2);
    if (!chosen)
        return false;

    area.clear();
    s.dataFileName = trimBlanks(*chosen);
    // Blanks inside a path are ordinary here (a folder named "my data");
    // only a name that is nothing but blanks names no file.
    if (s.dataFileName.empty()) {
        ctx_.prompter.message(text::kBadPath);
        s.dataFileName.clear();
        return false;
    }

    ctx_.random.reseedFromClock();
    SurveyReadResult file = readSurveyFile(s.dataFileName);
    const bool newFile = s.newFileMode == 1;
    // New file may name a file that does not exist yet: it starts empty.
    if (!file.ok && !(newFile && file.errorNumber == ENOENT)) {
        // Nothing half-loaded: the state stays that of no open file.
        ctx_.prompter.message(file.message);
        return false;
    }

    const long count = file.recordCount;
    // Checked before the caption and the build, so that a refused file
    // shows no name and draws nothing.
    if (const auto notData = newFile ? std::nullopt : notSurveyDataFinding(file.records)) {
        ctx_.prompter.message(*notData);
        ctx_.view.setCaption(kProgramTitle);
        s.dataFileName.clear();
        return false;
    }
    if (!newFile && count < limits::kMinPoints) {
        reportDataProblem(ctx_, text::kTooFewPoints);
        ctx_.view.setCaption(kProgramTitle);
        // The file stays open for Edit, where the message sends the user;
        // the working files are those of some earlier data, so Draw must
        // build first, and the build refuses until there are points enough.
        s.fileOpen = 1;
        s.dataEdited = 1;
        s.editorUsesMainFile = 1.0f;
        s.recordCount = count;
        s.fileRecordCount = count;
        return false;
    }
    ctx_.view.setCaption(text::kCaptionTitle + *chosen + "  : Record   1" + " to  " + numberText(count));

    Canvas& strip = ctx_.view.progressStrip();
    StripProgress steps(strip);
    for (long i = 1; i <= count; ++i) {
        if (steps.newColumn(static_cast<double>(i) * strip.width() / static_cast<double>(count + 1)))
            drawProgress(strip, static_cast<double>(i), static_cast<double>(count + 1));
    }
    // A new file's points are its records from here on. An existing file's
    // are put in place by the build just below, from these same records:
    // reading their numbers here as well would only be done again there.
    if (newFile) {
        s.sizePointsToFill(count);
        for (long i = 1; i <= count; ++i) {
            SurveyRecord& r = file.records[static_cast<std::size_t>(i - 1)];
            s.pointX[i] = r.x();
            s.pointY[i] = r.y();
            s.pointZ[i] = r.z();
            s.pointNote[i] = std::move(r.note);
        }
    }

    if (newFile) {
        s.editorUsesMainFile = 1.0f;
        s.fileOpen = 1;
        editorRequested_ = true;
        s.newFileMode = 0;
        return true;
    }

    s.fileOpen = 1;
    // The build reloads the file; the records just read are what it holds.
    if (buildNetwork(ctx_, true, &file))
        exportWorkingFiles(ctx_);
    s.editorUsesMainFile = 1.0f;
    // A build that found the data undrawable (all X equal, say) has closed
    // the file again; opening must not pretend otherwise.
    return s.fileOpen == 1;
}

WindowChange MainCommands::newFile()
{
    SharedState& s = ctx_.state;
    s.fileOpen = 1;
    s.editorUsesMainFile = 1.0f;
    s.newFileMode = 1;
    openDataFile();
    s.fileOpen = 0;
    // A cancelled dialog leaves New file pending no longer.
    s.newFileMode = 0;
    return editorRequested_ ? WindowChange::OpenRecordEditor : WindowChange::None;
}

WindowChange MainCommands::open(const std::optional<std::string>& presetPath)
{
    ctx_.state.newFileMode = 0;
    openDataFile(presetPath);
    return WindowChange::None;
}

WindowChange MainCommands::exit()
{
    const Answer a = ctx_.prompter.message(text::kExitQuestion, "Question", MessageIcon::Question,
                                           MessageButtons::YesNo);
    return a == Answer::Yes ? WindowChange::Quit : WindowChange::None;
}

WindowChange MainCommands::edit()
{
    if (!requireFile())
        return WindowChange::None;
    ctx_.state.networkKind = 0;
    return WindowChange::OpenRecordEditor;
}

void MainCommands::networkMenu()
{
    if (!requireFile())
        return;
    ctx_.view.setStatus(text::kWaiting, kDarkGreen, kGreen);
}

void MainCommands::buildKind(int kind)
{
    if (!requireFile())
        return;
    ctx_.state.fileOpen = 1;
    ctx_.state.networkKind = kind;
    buildNetwork(ctx_);
}

void MainCommands::rawNetwork() { buildKind(1); }

void MainCommands::optimizedNetwork() { buildKind(2); }

void MainCommands::network3d()
{
    ctx_.view.setStatus(text::k3dNetwork, kDarkGreen, kGreen);
    buildKind(3);
}

void MainCommands::draw()
{
    if (!requireFile())
        return;
    // An interval the run cannot step by is the panel's fault, not the data's.
    if (!intervalUsable(ctx_.panel.intervalText)) {
        ctx_.prompter.message(text::kIntervalNotPositive);
        return;
    }
    SharedState& s = ctx_.state;
    if (s.dataEdited == 1) {
        s.dataEdited = 0;
        if (!buildNetwork(ctx_)) {
            // The working files still describe the data before the edit, so
            // nothing may be drawn from them; the build has said why, and the
            // next Draw tries the rebuild again.
            s.dataEdited = 1;
            return;
        }
    }
    if (s.zMax - s.zMin == 0) {
        ctx_.prompter.message(text::kFlatValues);
        ctx_.view.showNotice(text::kDataCheckHint);
        return;
    }
    // The run fixes its levels from the range as the working files hold it;
    // more than its counter holds is the interval's fault, said plainly
    // rather than as a fault of the run.
    const double interval = ctx_.panel.intervalText.empty() ? 1 : leadingNumber(ctx_.panel.intervalText);
    if (interval > 0 && !levelCount(asWorkingFileValue(s.zMin), asWorkingFileValue(s.zMax), interval)) {
        ctx_.prompter.message(tooManyLevelsMessage(ctx_.panel.intervalText, s.zMin, s.zMax));
        return;
    }
    loadFillColours();
    drawContourMap(ctx_);
}

void MainCommands::loadFillColours()
{
    PanelSettings& panel = ctx_.panel;
    panel.fillTableColours.clear();
    if (!panel.fillBands || panel.fillTable.empty())
        return;
    // The run cannot read the 3D view's tables itself, so they are read here.
    // A table that cannot serve leaves the transition colours, and the
    // notice of the 3D view says why.
    LevelColours table;
    const ColourTableLoad load = table.load(panel.fillTable);
    if (!load.notice.empty())
        ctx_.view.showNotice(load.notice);
    if (!load.usable())
        return;
    for (int level = 0; level < kColourFileLevels; ++level)
        panel.fillTableColours.push_back(table.colour(level));
}

WindowChange MainCommands::view3d()
{
    if (!requireFile())
        return WindowChange::None;
    const SharedState& s = ctx_.state;
    if (s.networkKind != 3) {
        ctx_.prompter.message(text::kChoose3d);
        return WindowChange::None;
    }
    if (s.zMax == s.zMin) {
        ctx_.prompter.message(text::kFlatValues);
        ctx_.view.showNotice(text::kDataCheckHint);
        return WindowChange::None;
    }
    return WindowChange::Open3dView;
}

} // namespace tervane
