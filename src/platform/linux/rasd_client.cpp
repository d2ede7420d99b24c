#include "platform/linux/rasd_client.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::rasd {
namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

Client::~Client()
{
    close();
}

void Client::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    reader_ = FrameReader();
}

int Client::connect(const std::string& socketPath)
{
    close();
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof addr.sun_path)
        return ENAMETOOLONG;
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        const int e = errno;
        ::close(fd);
        return e;
    }
    fd_ = fd;
    return 0;
}

std::optional<Message> Client::request(const Message& message, int timeoutMs)
{
    if (fd_ < 0)
        return std::nullopt;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string out = frame(message);
    std::size_t sent = 0;
    while (sent < out.size()) {
        pollfd p { fd_, POLLOUT, 0 };
        if (poll(&p, 1, msLeft(deadline)) <= 0) {
            if (errno == EINTR)
                continue;
            close();
            return std::nullopt;
        }
        const ssize_t n = send(fd_, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        // The service may have refused the request before it was all sent:
        // its answer, if any, is still there to read.
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    std::string body;
    char buf[16384];
    for (;;) {
        const auto r = reader_.next(body);
        if (r == FrameReader::Result::Frame) {
            auto reply = Message::decode(body);
            if (!reply)
                close();
            return reply;
        }
        if (r == FrameReader::Result::TooLarge)
            break;
        pollfd p { fd_, POLLIN, 0 };
        const int ready = poll(&p, 1, msLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t n = recv(fd_, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reader_.feed(std::string_view(buf, static_cast<std::size_t>(n)));
    }
    close();
    return std::nullopt;
}

} // namespace platform::rasd
