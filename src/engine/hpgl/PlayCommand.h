#pragma once
#include "engine/state/RunContext.h"
#include "engine/hpgl/PlotFilePlayer.h"

#include <optional>
#include <string>

namespace tervane {

// The Play command (播放): unticks the HPGL box, clears the level display
// and plays a plot file, asking for it unless a path is given (the command
// line gives one).
PlaybackEnd playCommand(RunContext& ctx, const std::optional<std::string>& presetPath = {});

} // namespace tervane
