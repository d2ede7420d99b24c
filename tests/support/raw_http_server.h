#pragma once

#include <atomic>
#include <string>
#include <thread>

// A server on 127.0.0.1 that answers every request with the same raw bytes
// and then either closes the connection or holds it open, silent, until the
// server goes: the cut and the hung transfer.
class RawHttpServer {
public:
    RawHttpServer(std::string rawReply, bool holdOpen);
    ~RawHttpServer();

    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    int connections() const { return connections_; }

private:
    void serve();
    std::string reply_;
    bool hold_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_ { false };
    std::atomic<int> connections_ { 0 };
    std::thread thread_;
};
