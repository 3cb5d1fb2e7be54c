#pragma once
#include "engine/state/RunContext.h"

#include <optional>
#include <string>
#include <string_view>

namespace tervane {

// The Open dialog's filter for plot files; the second entry is preselected.
inline const std::string kPlotFileFilter = "All Files (*.*)|*.*|HPGL Files(*.plt)|*.plt";

// How a playback ended.
enum class PlaybackEnd {
    Completed,  // the whole file was drawn
    Cancelled,  // the file dialog was cancelled
    Stopped,    // Esc was pressed
    Failed,     // the file could not be read or has no drawable extent
};

// A pen command line: "PU" or "PD", the x text up to the first ",", the y
// text after it up to the next ";" (or the end of the line), both read by
// the leading-number rule. Anything else, a line without the comma, or a
// coordinate that is not finite, is no pen command.
struct PenCommand {
    bool penDown = false;
    double x = 0;
    double y = 0;
};
std::optional<PenCommand> readPenCommand(std::string_view line);

// Plays a plot file in the drawing area, fitted with one scale so that its
// pen-down extent (less labelBlockWidth on the right) fills the area's width
// less 1200 or its height less 700, lowest-left pen-down point at the
// origin. Without a preset path it asks with the Open dialog. Leaves
// fileOpen at 0 and dataFileName naming the plot file. A file that cannot
// be read, or whose pen-down lines span no width or no height, ends with
// the drawing area cleared and no message.
PlaybackEnd playPlotFile(RunContext& ctx, const std::optional<std::string>& presetPath = {});

} // namespace tervane
