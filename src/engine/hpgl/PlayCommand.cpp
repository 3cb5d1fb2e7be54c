#include "engine/hpgl/PlayCommand.h"

#include "engine/base/Prompter.h"
#include "engine/state/Texts.h"

namespace tervane {

PlaybackEnd playCommand(RunContext& ctx, const std::optional<std::string>& presetPath)
{
    ctx.panel.check15 = false;
    ctx.view.levelDisplay().clear();
    const PlaybackEnd end = playPlotFile(ctx, presetPath);
    // Playback lets go of the survey file, so the caption must not go on
    // naming it: it names the plot file played, or no file at all.
    if (end == PlaybackEnd::Cancelled)
        ctx.view.setCaption(kProgramTitle);
    else
        ctx.view.setCaption(text::kCaptionTitle + ctx.state.dataFileName);
    return end;
}

} // namespace tervane
