#include "engine/pictures/PictureCommands.h"

#include "engine/base/DataFileNames.h"
#include "engine/state/Texts.h"
#include "engine/network/NetworkBuilder.h"
#include "engine/state/PictureMemo.h"

#include <filesystem>
#include <system_error>

namespace tervane {

namespace {

void fillBackground(RunContext& ctx)
{
    Canvas& area = ctx.view.drawingArea();
    area.filledBox(1, 1, area.width(), area.height(), ctx.panel.beijing);
}

// Remembers the picture for the next run, or says why it will not be. A
// memo that cannot name the new picture is removed, so the next run does not
// bring back the one before it.
void rememberPicture(RunContext& ctx, const std::string& path)
{
    if (!fitsPictureMemo(path)) {
        deletePictureMemo();
        ctx.view.showNotice(picturetext::kNotRemembered);
    } else if (!writePictureMemo(path)) {
        deletePictureMemo();
        ctx.view.showNotice(picturetext::kMemoNotWritten);
    }
}

} // namespace

void insertPicture(RunContext& ctx)
{
    const auto chosen = ctx.prompter.openFile(picturetext::kOpenFilter, 2, "");
    if (!chosen)
        return;
    Canvas& area = ctx.view.drawingArea();
    if (!area.loadPicture(*chosen)) {
        ctx.view.showNotice(picturetext::kPictureNotLoaded + *chosen);
        return;
    }
    rememberPicture(ctx, *chosen);
    SharedState& s = ctx.state;
    s.pictureInserted = 1;
    s.pictureFileName = *chosen;
    if (s.fileOpen == 1)
        buildNetwork(ctx);
}

void clearPicture(RunContext& ctx)
{
    SharedState& s = ctx.state;
    Canvas& area = ctx.view.drawingArea();
    s.pictureFileName.clear();
    area.clearPicture();
    // The whole area, ruler margins included, so no piece of the picture
    // stays behind when no network is drawn over it.
    area.setBackColour(ctx.panel.beijing);
    fillBackground(ctx);
    deletePictureMemo();
    s.pictureInserted = 0;
    if (s.fileOpen == 1)
        buildNetwork(ctx);
}

void clearScreen(RunContext& ctx)
{
    const SharedState& s = ctx.state;
    Canvas& area = ctx.view.drawingArea();
    if (s.picturePersisted == 1) {
        area.clearPicture();
        area.clear();
        if (!s.pictureFileName.empty() && !area.loadPicture(s.pictureFileName))
            ctx.view.showNotice(picturetext::kPictureNotLoaded + s.pictureFileName);
        return;
    }
    area.clear();
}

void savePicture(RunContext& ctx)
{
    const SharedState& s = ctx.state;
    if (s.fileOpen == 0) {
        ctx.prompter.message(picturetext::kSaveNoFile);
        return;
    }
    Canvas& area = ctx.view.drawingArea();
    area.pictureFromDrawing(kPictureWidth, kPictureHeight);
    const std::string name = derivedName(s.dataFileName, ".BMP");
    const Answer a = ctx.prompter.message(picturetext::kSaveQuestionStart + "\n" + name + picturetext::kSaveQuestionEnd,
                                          picturetext::kBlankTitle, MessageIcon::Question, MessageButtons::YesNo);
    if (a != Answer::Yes)
        return;
    // A data file named like its picture (survey.BMP) is never replaced.
    std::error_code ec;
    if (std::filesystem::equivalent(name, s.dataFileName, ec)) {
        ctx.prompter.message(picturetext::kSaveOverData + name);
        return;
    }
    if (const WriteOutcome saved = area.savePictureBmp(name); !saved) {
        // The cause follows on its own line: a full disk, a read-only
        // folder, a name that is no regular file.
        ctx.prompter.message(picturetext::kSaveFailed + name + "\n" + writeFailureMessage(name, saved));
        return;
    }
    ctx.view.showNotice(picturetext::kSaved + name);
}

} // namespace tervane
