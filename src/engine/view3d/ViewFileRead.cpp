#include "engine/view3d/ViewFileRead.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane {

ViewFileBytes readViewFile(const std::string& path, std::size_t limit, bool prefixOnly)
{
    ViewFileBytes result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        result.fault = errno == ENOENT ? ViewReadFault::Missing : ViewReadFault::Unreadable;
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.fault = ViewReadFault::Unreadable;
    } else if (!S_ISREG(st.st_mode)) {
        result.fault = ViewReadFault::NotRegular;
    } else if (!prefixOnly && static_cast<unsigned long long>(st.st_size) > limit) {
        result.fault = ViewReadFault::TooLarge;
    } else {
        // One byte past the limit tells a file that grew since the fstat.
        const std::size_t wanted = prefixOnly ? limit : limit + 1;
        result.bytes.resize(wanted);
        std::size_t got = 0;
        while (got < wanted) {
            const ssize_t n = ::read(fd, result.bytes.data() + got, wanted - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result.fault = ViewReadFault::Unreadable;
                break;
            }
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        result.bytes.resize(got);
        if (result.fault == ViewReadFault::None && !prefixOnly && got > limit)
            result.fault = ViewReadFault::TooLarge;
    }
    ::close(fd);
    if (result.fault != ViewReadFault::None)
        result.bytes.clear();
    return result;
}

} // namespace tervane
