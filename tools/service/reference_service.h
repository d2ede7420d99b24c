#pragma once

#include <memory>
#include <string>

// The reference account and content service: a small HTTP server on
// 127.0.0.1 that answers from a data folder. Used by the demo and the tests.
class ReferenceService {
public:
    explicit ReferenceService(std::string dataDir);
    ~ReferenceService();

    // Binds 127.0.0.1:port (0 picks a free port) and serves on a thread.
    bool start(int port);
    int port() const;
    void stop();
    // Serves on the calling thread until stop().
    bool run(int port, const std::string& address = "127.0.0.1");

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
