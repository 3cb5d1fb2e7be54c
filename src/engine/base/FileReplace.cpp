#include "engine/base/FileReplace.h"

#include <cerrno>
#include <climits>
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
