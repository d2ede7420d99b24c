#include "tests/support/http_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

int listenOnLoopback(int& port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const int on = 1;
    if (fd >= 0)
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0) {
        if (fd >= 0)
            close(fd);
        throw std::runtime_error("cannot listen");
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

std::string readRequestHead(int fd)
{
    std::string head;
    char buf[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        pollfd c { fd, POLLIN, 0 };
        if (poll(&c, 1, 2000) <= 0)
            break;
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        head.append(buf, static_cast<size_t>(n));
    }
    return head.substr(0, head.find("\r\n\r\n"));
}

RecordingHttpServer::RecordingHttpServer(Handler handler, int port)
    : handler_(std::move(handler))
    , port_(port)
{
    listenFd_ = listenOnLoopback(port_);
    thread_ = std::thread([this] { serve(); });
}

RecordingHttpServer::~RecordingHttpServer()
{
    {
        std::lock_guard g(lock_);
        stopping_ = true;
    }
    shutdown(listenFd_, SHUT_RDWR);
    thread_.join();
    close(listenFd_);
    for (const int fd : held_)
        close(fd);
}

std::vector<std::string> RecordingHttpServer::requests() const
{
    std::lock_guard g(lock_);
    return requests_;
}

void RecordingHttpServer::serve()
{
    for (;;) {
        pollfd p { listenFd_, POLLIN, 0 };
        if (poll(&p, 1, 100) <= 0) {
            std::lock_guard g(lock_);
            if (stopping_)
                return;
            continue;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            std::lock_guard g(lock_);
            if (stopping_)
                return;
            continue;
        }
        const std::string head = readRequestHead(fd);
        {
            std::lock_guard g(lock_);
            requests_.push_back(head);
        }
        const size_t sp1 = head.find(' ');
        const size_t sp2 = head.find(' ', sp1 + 1);
        const std::string target = sp1 == std::string::npos ? "" : head.substr(sp1 + 1, sp2 - sp1 - 1);
        const Reply reply = handler_(target);
        if (reply.silent) {
            held_.push_back(fd);
            continue;
        }
        std::this_thread::sleep_for(reply.delay);
        std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\n";
        for (const auto& h : reply.headers)
            out += h + "\r\n";
        out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n"
            + reply.body;
        if (reply.cutShort)
            out.resize(out.size() - reply.body.size() / 2);
        size_t off = 0;
        while (off < out.size()) {
            const ssize_t n = send(fd, out.data() + off, out.size() - off, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            off += static_cast<size_t>(n);
        }
        close(fd);
    }
}
