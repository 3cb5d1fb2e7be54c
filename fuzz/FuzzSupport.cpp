#include "FuzzSupport.h"

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane::fuzz {

const std::string& scratchFolder()
{
    static const std::string folder = [] {
        struct stat st {};
        const bool shm = ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0;
        std::string name = std::string(shm ? "/dev/shm" : "/tmp") + "/tervane-fuzz-XXXXXX";
        if (!::mkdtemp(name.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        // The folder goes when the fuzzer ends normally; after a crash its
        // few small files are left for a look.
        static std::string toRemove = name;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(toRemove, ec);
        });
        return name;
    }();
    return folder;
}

void writeFile(const std::string& name, std::string_view bytes)
{
    const std::string path = scratchFolder() + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        std::abort();
    }
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

std::vector<std::string_view> splitParts(const std::uint8_t* data, std::size_t size, std::size_t parts)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> pieces;
    while (pieces.size() + 1 < parts) {
        const auto at = rest.find(kPartSeparator);
        if (at == std::string_view::npos)
            break;
        pieces.push_back(rest.substr(0, at));
        rest.remove_prefix(at + kPartSeparator.size());
    }
    pieces.push_back(rest);
    pieces.resize(parts);
    return pieces;
}

} // namespace tervane::fuzz
