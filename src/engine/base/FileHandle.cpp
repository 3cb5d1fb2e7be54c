#include "engine/base/FileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane {

namespace {

constexpr short kMaxHandleNumber = 511;

// What the program holds open, by handle number: which file and how.
struct OpenEntry {
    dev_t device;
    ino_t inode;
    FileMode mode;
};

std::map<short, OpenEntry>& openFiles()
{
    static std::map<short, OpenEntry> files;
    return files;
}

short lowestFreeNumber()
{
    const auto& files = openFiles();
    for (short n = 1; n <= kMaxHandleNumber; ++n) {
        if (files.find(n) == files.end())
            return n;
    }
    return 0;
}

bool writesSequentially(FileMode mode)
{
    return mode == FileMode::Output || mode == FileMode::Append;
}

// Two opens of one file clash when either writes it sequentially: a
// sequential writer assumes it owns the whole file.
bool clashesWithOpenFile(const struct stat& st, FileMode mode)
{
    for (const auto& [number, entry] : openFiles()) {
        if (entry.device == st.st_dev && entry.inode == st.st_ino
            && (writesSequentially(mode) || writesSequentially(entry.mode)))
            return true;
    }
    return false;
}

int openFlags(FileMode mode)
{
    switch (mode) {
    case FileMode::Output: return O_WRONLY | O_CREAT | O_TRUNC;
    case FileMode::Input: return O_RDONLY;
    case FileMode::Append: return O_WRONLY | O_CREAT | O_APPEND;
    case FileMode::Random:
    case FileMode::Binary: return O_RDWR | O_CREAT;
    }
    return O_RDONLY;
}

bool fail(OpenFailure* failure, int err, bool alreadyOpen = false)
{
    if (failure) {
        failure->errnoValue = err;
        failure->alreadyOpen = alreadyOpen;
    }
    return false;
}

} // namespace

FileHandle::~FileHandle() { release(); }

FileHandle::FileHandle(FileHandle&& other) noexcept
    : fd_(other.fd_), number_(other.number_), mode_(other.mode_),
      recordLength_(other.recordLength_), path_(std::move(other.path_)),
      lastError_(other.lastError_)
{
    other.fd_ = -1;
    other.number_ = 0;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        release();
        fd_ = other.fd_;
        number_ = other.number_;
        mode_ = other.mode_;
        recordLength_ = other.recordLength_;
        path_ = std::move(other.path_);
        lastError_ = other.lastError_;
        other.fd_ = -1;
        other.number_ = 0;
    }
    return *this;
}

FileHandle FileHandle::open(const std::string& path, FileMode mode, int recordLength,
                            OpenFailure* failure)
{
    if (mode == FileMode::Random && recordLength < 1)
        throw std::invalid_argument("Random access needs a record length of at least 1");
    FileHandle handle;
    struct stat st {};
    // A directory, device or pipe is no data file; opening a pipe could
    // even block for good.
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        fail(failure, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        return handle;
    }
    const short number = lowestFreeNumber();
    if (number == 0) {
        fail(failure, EMFILE);
        return handle;
    }
    // Output mode truncates only after the clash check, so refusing a
    // second open never empties a file that is in use.
    const int fd = ::open(path.c_str(), (openFlags(mode) & ~O_TRUNC) | O_CLOEXEC, 0666);
    if (fd < 0) {
        fail(failure, errno);
        return handle;
    }
    int err = 0;
    bool clash = false;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (!S_ISREG(st.st_mode))
        err = EINVAL;
    else if (clashesWithOpenFile(st, mode))
        clash = true;
    else if ((openFlags(mode) & O_TRUNC) && ::ftruncate(fd, 0) != 0)
        err = errno;
    if (err != 0 || clash) {
        ::close(fd);
        fail(failure, err, clash);
        return handle;
    }
    openFiles()[number] = OpenEntry{st.st_dev, st.st_ino, mode};
    handle.fd_ = fd;
    handle.number_ = number;
    handle.mode_ = mode;
    handle.recordLength_ = mode == FileMode::Random ? recordLength : 0;
    handle.path_ = path;
    return handle;
}

// Moves one whole record at its place, going on after short transfers and
// interrupts. `io(done, offset)` moves what is left from `done` on; a
// transfer of nothing ends the record with `endError` (0 for a read past
// the end, which is no system error).
template <class Io>
bool FileHandle::wholeRecord(long recordNumber, int endError, Io io)
{
    if (fd_ < 0 || recordLength_ < 1 || recordNumber < 1) {
        lastError_ = EBADF;
        return false;
    }
    const off_t offset = static_cast<off_t>(recordNumber - 1) * recordLength_;
    std::size_t done = 0;
    while (done < static_cast<std::size_t>(recordLength_)) {
        const ssize_t n = io(done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            lastError_ = n < 0 ? errno : endError;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool FileHandle::readRecord(long recordNumber, char* out)
{
    return wholeRecord(recordNumber, 0, [&](std::size_t done, off_t at) {
        return ::pread(fd_, out + done, recordLength_ - done, at);
    });
}

bool FileHandle::writeRecord(long recordNumber, const char* data)
{
    return wholeRecord(recordNumber, EIO, [&](std::size_t done, off_t at) {
        return ::pwrite(fd_, data + done, recordLength_ - done, at);
    });
}

bool FileHandle::write(std::string_view bytes)
{
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            lastError_ = n < 0 ? errno : EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

long long FileHandle::size()
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        lastError_ = fd_ < 0 ? EBADF : errno;
        return -1;
    }
    return static_cast<long long>(st.st_size);
}

bool FileHandle::resize(long long length)
{
    if (fd_ < 0 || length < 0 || ::ftruncate(fd_, static_cast<off_t>(length)) != 0) {
        lastError_ = fd_ < 0 ? EBADF : (length < 0 ? EINVAL : errno);
        return false;
    }
    return true;
}

bool FileHandle::refersToSameFileAs(const FileHandle& other) const
{
    struct stat a {};
    struct stat b {};
    if (fd_ < 0 || other.fd_ < 0 || ::fstat(fd_, &a) != 0 || ::fstat(other.fd_, &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool FileHandle::tryLock()
{
    if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        lastError_ = fd_ < 0 ? EBADF : errno;
        return false;
    }
    return true;
}

bool FileHandle::flushToDisk()
{
    if (fd_ < 0 || ::fsync(fd_) != 0) {
        lastError_ = fd_ < 0 ? EBADF : errno;
        return false;
    }
    return true;
}

bool FileHandle::close()
{
    if (fd_ < 0)
        return true;
    openFiles().erase(number_);
    const int rc = ::close(fd_);
    if (rc != 0)
        lastError_ = errno;
    fd_ = -1;
    number_ = 0;
    return rc == 0;
}

void FileHandle::release() noexcept
{
    if (fd_ >= 0) {
        openFiles().erase(number_);
        ::close(fd_);
        fd_ = -1;
        number_ = 0;
    }
}

int FileHandle::openCount() { return static_cast<int>(openFiles().size()); }

int openRegularForReading(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno;
        ::close(fd);
        errno = S_ISREG(st.st_mode) ? err : ENODEV;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

} // namespace tervane
