#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tervane {

// The folder of the running program, or empty when it cannot be found.
std::string executableFolder();

// Where the program's data files (glyph files, colour tables, help texts)
// are looked for, in order: the current folder (an empty string), the
// program's own folder (the build tree keeps them there), then
// ../share/tervane beside it (an installed tree, wherever it is unpacked).
// Folders that cannot be known are left out.
std::vector<std::string> resourceFolders();

// The first folder of `folders` that holds the file `name` (a name or a
// relative path such as "help/1.txt"), joined to it; nothing when none does.
// An empty folder is the current folder and gives the name unchanged.
std::optional<std::string> findResource(const std::string& name,
                                        const std::vector<std::string>& folders = resourceFolders());

} // namespace tervane
