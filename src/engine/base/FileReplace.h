#pragma once
#include <functional>
#include <string>

namespace tervane {

// The system calls a file replacement goes through. Tests swap them to make
// a step fail where a real disk rarely does.
struct FileReplaceOps {
    std::function<int(const char* from, const char* to)> rename;
};

// The name of replaceFile's copies beside a target on another file system
// starts with this, followed by six characters from mkstemp.
inline const std::string kReplaceCopyPrefix = "~~Tmp~~";

// The ops that call the system.
FileReplaceOps systemFileReplaceOps();

// The folder part of a path ("." for a bare name, "/" for the root).
std::string folderOf(const std::string& path);

// Moves the complete, flushed file at source over target so that target is
// always whole: either the old file or the new one, never half-written.
// The move is a rename; when the two lie on different file systems, source
// is first copied (and flushed) beside target and that copy is renamed.
// Target keeps its permission bits. Returns 0, or the errno of the step
// that failed, in which case target is untouched and source is left for the
// caller to delete.
int replaceFile(const std::string& source, const std::string& target,
                const FileReplaceOps& ops = systemFileReplaceOps());

// A replacement killed halfway across file systems leaves its full-size
// copy beside the target. A copy is held under an advisory lock (flock)
// while it is written, so the copies in folder that no process holds
// locked are leftovers: this removes them and returns how many.
int removeStaleCopies(const std::string& folder);

} // namespace tervane
