#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

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

// Why a file the program writes did not land under its name.
enum class WriteFault {
    None,
    DiskFull,    // no space left (or over the file-size limit)
    ReadOnly,    // the folder or file may not be written
    NotRegular,  // the name holds a device, FIFO, folder or socket
    Other,
};

struct WriteOutcome {
    WriteFault fault = WriteFault::None;
    int errnoValue = 0;
    explicit operator bool() const { return fault == WriteFault::None; }
};

// The system calls a written file goes through; tests make one fail.
struct FileWriteOps {
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;
};
FileWriteOps systemFileWriteOps();

// The one way the program writes a file it produces. The bytes go to a new
// file made exclusively beside the target (in the target's own folder, so
// a rename can replace it, and never through a link), every write, flush
// and close is checked, and only then is it renamed over the target. A
// failure at any step removes the new file and leaves the old one as it
// was; a kill leaves the old file or the new one, never a cut one. A
// target that is a link is followed to the file it names, which is
// replaced in its own folder. An existing target that is not a regular file
// is refused.
class FileWriter {
public:
    explicit FileWriter(const std::string& target, const FileWriteOps& ops = systemFileWriteOps());
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // False once any step failed; later writes then do nothing.
    bool write(std::string_view bytes);
    bool good() const { return !failed_; }
    // Flushes, closes and renames; the outcome of the first failed step.
    WriteOutcome commit();
    // Gives up: the new file goes, the old one stays.
    void abandon();
    // The final name the bytes will land under (links resolved).
    const std::string& finalPath() const { return final_; }

private:
    void fail(WriteFault fault, int err);

    FileWriteOps ops_;
    std::string final_;
    std::string temporary_;
    int fd_ = -1;
    bool failed_ = false;
    bool done_ = false;
    WriteOutcome outcome_;
};

// Writes bytes as the whole new content of target, as FileWriter does.
WriteOutcome writeWholeFile(const std::string& target, std::string_view bytes,
                            const FileWriteOps& ops = systemFileWriteOps());

// The program's message for a failed write: what failed and where.
std::string writeFailureMessage(const std::string& path, const WriteOutcome& outcome);

// A fault from an errno value: full disk, read-only folder or another error.
WriteFault writeFaultOf(int err);

} // namespace tervane
