#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tervane {

// The five ways a file can be opened, numbered as callers pass them.
enum class FileMode : short {
    Output = 1,  // sequential output: create or replace
    Input = 2,   // sequential input
    Append = 3,  // sequential append
    Random = 4,  // random access with fixed-length records
    Binary = 5,  // binary, read and write
};

// Why an open failed: the system's error number, or the program's own
// refusal to open a file twice where that would clash.
struct OpenFailure {
    int errnoValue = 0;
    bool alreadyOpen = false;
};

// An open file. It owns its descriptor and closes it when it goes away, so
// no file stays open by accident. Each open file also holds a small handle
// number (1 to 511, the lowest free one) as the program's file numbers go;
// an empty handle has number 0.
class FileHandle {
public:
    FileHandle() = default;
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens path in the given mode. Random mode needs recordLength >= 1.
    // Only regular files are opened. A file this program already holds open
    // is refused when either side writes sequentially (output or append).
    static FileHandle open(const std::string& path, FileMode mode, int recordLength,
                           OpenFailure* failure = nullptr);

    explicit operator bool() const { return fd_ >= 0; }
    short number() const { return number_; }
    FileMode mode() const { return mode_; }
    int recordLength() const { return recordLength_; }
    const std::string& path() const { return path_; }

    // Records count from 1. A read that finds fewer bytes than a whole
    // record fails. Both leave the reason in lastError().
    bool readRecord(long recordNumber, char* out);
    bool writeRecord(long recordNumber, const char* data);
    // Writes at the current position (sequential and binary modes).
    bool write(std::string_view bytes);
    // File length in bytes, or -1.
    long long size();
    // Cuts or extends the file to a length in bytes.
    bool resize(long long length);
    // Whether both handles hold the same file on disk.
    bool refersToSameFileAs(const FileHandle& other) const;
    // Takes an advisory lock (flock) on the file, without waiting; false
    // when another open file holds one. Closing releases it.
    bool tryLock();
    // Pushes the written data through to the disk.
    bool flushToDisk();
    // Closes now; reports whether the close itself went well.
    bool close();

    // errno of the last failure, or 0 after a short read.
    int lastError() const { return lastError_; }

    // Handles this program holds open at the moment.
    static int openCount();

private:
    void release() noexcept;

    int fd_ = -1;
    short number_ = 0;
    FileMode mode_ = FileMode::Input;
    int recordLength_ = 0;
    std::string path_;
    int lastError_ = 0;

    template <class Io>
    bool wholeRecord(long recordNumber, int endError, Io io);
};

// Opens a file for reading only when it is a regular file, without waiting
// on the way: a FIFO or device named where a file belongs would otherwise
// hang the program in open() or read(). Returns the descriptor, blocking
// again and closed on exec, or -1 with errno set (ENODEV for a name that
// holds something other than a regular file).
int openRegularForReading(const std::string& path);

} // namespace tervane
