#include "engine/base/FileReplace.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tervane {

namespace {

// A rename is only durable once the folder that holds the name is flushed.
void flushFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Replacing through a symbolic link must replace the file it points to,
// not the link.
std::string resolvedTarget(const std::string& target)
{
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buffer[PATH_MAX];
        if (::realpath(target.c_str(), buffer))
            return buffer;
    }
    return target;
}

int copyAll(int from, int to)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return w < 0 ? errno : EIO;
            done += w;
        }
    }
}

// Copies source into a fresh file beside target and flushes it; returns
// its name in *copyName and its descriptor, still open and locked, in
// *copyFd. The lock tells removeStaleCopies that the copy is in use.
int copyBeside(const std::string& source, const std::string& target, mode_t mode,
               std::string* copyName, int* copyFd)
{
    std::string name = folderOf(target) + "/" + kReplaceCopyPrefix + "XXXXXX";
    const int to = ::mkstemp(name.data());
    if (to < 0)
        return errno;
    int err = ::flock(to, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
    const int from = err ? -1 : ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (!err)
        err = from < 0 ? errno : copyAll(from, to);
    if (from >= 0)
        ::close(from);
    if (err == 0)
        ::fchmod(to, mode);  // the bits are a courtesy; the data is what counts
    if (err == 0 && ::fsync(to) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(name.c_str());
        ::close(to);
        return err;
    }
    *copyName = name;
    *copyFd = to;
    return 0;
}

// Whether name is one of replaceFile's copies: the prefix and six more.
bool isReplaceCopyName(const std::string& name)
{
    return name.size() == kReplaceCopyPrefix.size() + 6 && name.compare(0, kReplaceCopyPrefix.size(), kReplaceCopyPrefix) == 0;
}

} // namespace

FileReplaceOps systemFileReplaceOps()
{
    return FileReplaceOps{[](const char* from, const char* to) { return ::rename(from, to); }};
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

int replaceFile(const std::string& source, const std::string& target, const FileReplaceOps& ops)
{
    const std::string real = resolvedTarget(target);
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(real.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
        ::chmod(source.c_str(), mode);
    }
    if (ops.rename(source.c_str(), real.c_str()) == 0) {
        flushFolder(folderOf(real));
        return 0;
    }
    if (errno != EXDEV)
        return errno;
    std::string copy;
    int copyFd = -1;
    if (const int err = copyBeside(source, real, mode, &copy, &copyFd); err != 0)
        return err;
    // The copy stays locked until its rename is done, so that no clean-up
    // takes it for a leftover.
    if (ops.rename(copy.c_str(), real.c_str()) != 0) {
        const int err = errno;
        ::unlink(copy.c_str());
        ::close(copyFd);
        return err;
    }
    ::close(copyFd);  // its data was flushed before the rename
    flushFolder(folderOf(real));
    ::unlink(source.c_str());
    return 0;
}

int removeStaleCopies(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!isReplaceCopyName(name))
            continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // Locked means a replacement is writing it right now.
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

} // namespace tervane

namespace tervane {

namespace {

// Follows a chain of links to the name that will really be replaced; a
// dangling link gives the name it points to.
std::string followLinks(const std::string& target)
{
    std::string path = target;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), PATH_MAX);
        if (n <= 0)
            return path;
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        if (next.front() != '/' && path.find('/') != std::string::npos)
            next = folderOf(path) + "/" + next;
        path = next;
    }
    return path;
}

} // namespace

FileWriteOps systemFileWriteOps()
{
    return FileWriteOps{[](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); },
                        [](int fd) { return ::fsync(fd); },
                        [](const char* from, const char* to) { return ::rename(from, to); }};
}

WriteFault writeFaultOf(int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return WriteFault::DiskFull;
    case EROFS:
    case EACCES:
    case EPERM:
        return WriteFault::ReadOnly;
    default:
        return WriteFault::Other;
    }
}

FileWriter::FileWriter(const std::string& target, const FileWriteOps& ops) : ops_(ops), final_(followLinks(target))
{
    if (final_.empty()) {
        fail(WriteFault::Other, ENOENT);
        return;
    }
    struct stat st {};
    mode_t mode = 0666;
    if (::stat(final_.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            fail(WriteFault::NotRegular, 0);
            return;
        }
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    std::string name = folderOf(final_) + "/" + kReplaceCopyPrefix + "XXXXXX";
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail(writeFaultOf(errno), errno);
        return;
    }
    temporary_ = name;
    // Held while it is written, so that a clean-up of leftovers spares it.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    ::fchmod(fd_, mode);
}

FileWriter::~FileWriter()
{
    if (!done_)
        abandon();
}

void FileWriter::fail(WriteFault fault, int err)
{
    if (failed_)
        return;
    failed_ = true;
    outcome_ = WriteOutcome{fault, err};
}

bool FileWriter::write(std::string_view bytes)
{
    if (failed_ || done_)
        return false;
    while (!bytes.empty()) {
        const ssize_t n = ops_.write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            fail(writeFaultOf(err), err);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

WriteOutcome FileWriter::commit()
{
    if (done_)
        return outcome_;
    if (!failed_ && ops_.fsync(fd_) != 0)
        fail(writeFaultOf(errno), errno);
    if (fd_ >= 0) {
        // The lock goes with the close; the rename below needs no lock,
        // since the name is ours alone until then.
        if (::close(fd_) != 0)
            fail(writeFaultOf(errno), errno);
        fd_ = -1;
    }
    if (!failed_ && ops_.rename(temporary_.c_str(), final_.c_str()) != 0)
        fail(writeFaultOf(errno), errno);
    if (failed_) {
        if (!temporary_.empty())
            ::unlink(temporary_.c_str());
    } else {
        flushFolder(folderOf(final_));
    }
    done_ = true;
    return outcome_;
}

void FileWriter::abandon()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty() && !done_)
        ::unlink(temporary_.c_str());
    if (!failed_)
        fail(WriteFault::Other, ECANCELED);
    done_ = true;
}

WriteOutcome writeWholeFile(const std::string& target, std::string_view bytes, const FileWriteOps& ops)
{
    FileWriter writer(target, ops);
    writer.write(bytes);
    return writer.commit();
}

std::string writeFailureMessage(const std::string& path, const WriteOutcome& outcome)
{
    switch (outcome.fault) {
    case WriteFault::None:
        return {};
    case WriteFault::DiskFull:
        return "磁盘已满，文件没有写成，原有文件保持不变: " + path;
    case WriteFault::ReadOnly:
        return "目录或文件是只读的，文件没有写成: " + path;
    case WriteFault::NotRegular:
        return "这不是一个普通文件，不能写入: " + path;
    case WriteFault::Other:
        break;
    }
    return "文件没有写成，原有文件保持不变: " + path + " (" + std::strerror(outcome.errnoValue) + ")";
}

} // namespace tervane
