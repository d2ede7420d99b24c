#pragma once

#include <optional>
#include <string>

#include "platform/linux/rasd_protocol.h"

namespace platform::rasd {

// One connection to the remote-access service; blocking requests, each with a
// time limit. Not thread-safe.
class Client {
public:
    Client() = default;
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // 0 on success, else the errno of the failed socket or connect.
    int connect(const std::string& socketPath = kSocketPath);
    bool connected() const { return fd_ >= 0; }
    void close();

    // The reply, or nothing when the service could not be reached in time or
    // answered with something that is not a message; the connection is
    // closed then.
    std::optional<Message> request(const Message& message, int timeoutMs);

private:
    int fd_ = -1;
    FrameReader reader_;
};

} // namespace platform::rasd
