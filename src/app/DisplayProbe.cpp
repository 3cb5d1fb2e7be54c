#include "app/DisplayProbe.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <string>

namespace tervane {

namespace {

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool connectsLocally(const std::string& path, bool abstract)
{
    Socket s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (s.fd() < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
    return ::connect(s.fd(), reinterpret_cast<const sockaddr*>(&address), length) == 0;
}

// A server that is down refuses at once; one behind a dead link would
// keep the program waiting, so two seconds is all it gets.
bool connectsOverTcp(const std::string& host, int port)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool answered = false;
    for (addrinfo* a = found; a != nullptr && !answered; a = a->ai_next) {
        Socket s(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol));
        if (s.fd() < 0)
            continue;
        if (::connect(s.fd(), a->ai_addr, a->ai_addrlen) == 0) {
            answered = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{s.fd(), POLLOUT, 0};
            int error = 0;
            socklen_t size = sizeof error;
            answered = ::poll(&p, 1, 2000) == 1 &&
                       ::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
        }
    }
    ::freeaddrinfo(found);
    return answered;
}

} // namespace

bool xServerAnswers(const std::string& display)
{
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos || display.find('/') != std::string::npos)
        return true;
    std::string number;
    for (std::size_t i = colon + 1; i < display.size() && std::isdigit(static_cast<unsigned char>(display[i])); ++i)
        number += display[i];
    if (number.empty() || number.size() > 5)
        return true;
    const std::string host = display.substr(0, colon);
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + number;
        return connectsLocally(path, true) || connectsLocally(path, false);
    }
    // "host::N" is DECnet, which nothing here speaks.
    if (host.back() == ':')
        return true;
    return connectsOverTcp(host, 6000 + std::stoi(number));
}

} // namespace tervane
