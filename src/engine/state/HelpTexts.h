#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tervane {

// The main window's three help panels. Their texts are UTF-8 files under
// help/, kept out of the code so that they can be read and edited as text.
enum class HelpTopic { About, Operating, Parameters };

// "help/about.txt", "help/operating.txt", "help/parameters.txt".
std::string helpFileName(HelpTopic topic);

// The text of a help panel, from the first folder that holds its file (an
// empty folder is the current directory), or nothing when none does.
std::optional<std::string> readHelpText(HelpTopic topic, const std::vector<std::string>& folders);

// As above, in the program's resource folders (the current directory,
// beside the program, then ../share/tervane).
std::optional<std::string> readHelpText(HelpTopic topic);

} // namespace tervane
