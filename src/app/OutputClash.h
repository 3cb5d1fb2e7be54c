#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tervane {

// A file a headless run reads or writes, with the words that name it in a
// message: "--png", "the data file", "the working file" and the like.
struct RunFile {
    std::string what;
    std::string path;
};

// Whether two paths name one file: the same device and inode when both
// exist (so a hard link or a symbolic link is caught), otherwise the same
// resolved path (so a file not yet made is caught through "..", "." and
// linked folders).
bool sameFile(const std::string& a, const std::string& b);

// Why a headless run must not start, ready to print after "tervane: ": an
// output that is also one of the inputs (the write would destroy the file
// the run reads), or two outputs that name one file (the second would
// replace the first). Nothing when every output is a file of its own.
// Outputs with an empty path are not asked for and are left out.
std::optional<std::string> outputClash(const std::vector<RunFile>& outputs, const std::vector<RunFile>& inputs);

} // namespace tervane
