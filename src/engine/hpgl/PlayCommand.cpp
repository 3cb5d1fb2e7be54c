#include "engine/hpgl/PlayCommand.h"

namespace tervane {

PlaybackEnd playCommand(RunContext& ctx, const std::optional<std::string>& presetPath)
{
    ctx.panel.check15 = false;
    ctx.view.levelDisplay().clear();
    return playPlotFile(ctx, presetPath);
}

} // namespace tervane
