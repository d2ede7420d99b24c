#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A listening TCP socket on 127.0.0.1 at port, or a free one when port is 0
// (then set to the one chosen); throws when it cannot listen.
int listenOnLoopback(int& port);

// Reads a request up to the empty line (waiting at most 2 s for each piece);
// returns it without that line.
std::string readRequestHead(int fd);

// A raw HTTP/1.1 server on 127.0.0.1 that records each request's exact bytes
// (request line and headers) and answers with a scripted reply.
class RecordingHttpServer {
public:
    struct Reply {
        int status = 200;
        std::string body;
        std::vector<std::string> headers; // extra "Name: value" lines
        std::chrono::milliseconds delay { 0 }; // before the answer
        bool silent = false; // the connection stays open, unanswered, until the server goes
        bool cutShort = false; // closed after half the body its length announces
    };
    using Handler = std::function<Reply(const std::string& requestTarget)>;

    // On a free port, or on the port given.
    explicit RecordingHttpServer(Handler handler, int port = 0);
    ~RecordingHttpServer();

    int port() const { return port_; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    // Raw head (request line + headers, up to the empty line) of each request.
    std::vector<std::string> requests() const;

private:
    void serve();
    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex lock_;
    std::vector<std::string> requests_;
    std::vector<int> held_; // connections of silent replies
    bool stopping_ = false;
};
