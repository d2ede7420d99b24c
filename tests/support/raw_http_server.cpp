#include "tests/support/raw_http_server.h"

#include "tests/support/http_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

RawHttpServer::RawHttpServer(std::string rawReply, bool holdOpen)
    : reply_(std::move(rawReply))
    , hold_(holdOpen)
{
    listenFd_ = listenOnLoopback(port_);
    thread_ = std::thread([this] { serve(); });
}

RawHttpServer::~RawHttpServer()
{
    stopping_ = true;
    thread_.join();
    close(listenFd_);
}

void RawHttpServer::serve()
{
    std::vector<int> held;
    while (!stopping_) {
        pollfd p { listenFd_, POLLIN, 0 };
        if (poll(&p, 1, 50) <= 0)
            continue;
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        readRequestHead(fd);
        send(fd, reply_.data(), reply_.size(), MSG_NOSIGNAL);
        if (hold_)
            held.push_back(fd);
        else
            close(fd);
    }
    for (const int fd : held)
        close(fd);
}
