#include "engine/base/RegularFileRead.h"

#include "engine/base/FileHandle.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane {

RegularFileBytes readRegularFile(const std::string& path, std::size_t limit, bool prefixOnly)
{
    RegularFileBytes result;
    const int fd = openRegularForReading(path);
    if (fd < 0) {
        result.fault = errno == ENOENT ? ReadFault::Missing
                       : errno == ENODEV ? ReadFault::NotRegular
                                         : ReadFault::Unreadable;
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.fault = ReadFault::Unreadable;
    } else if (!prefixOnly && static_cast<unsigned long long>(st.st_size) > limit) {
        result.fault = ReadFault::TooLarge;
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
                result.fault = ReadFault::Unreadable;
                break;
            }
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        result.bytes.resize(got);
        if (result.fault == ReadFault::None && !prefixOnly && got > limit)
            result.fault = ReadFault::TooLarge;
    }
    ::close(fd);
    if (result.fault != ReadFault::None)
        result.bytes.clear();
    return result;
}

} // namespace tervane
