#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Handle of one remote-access connection; never 0 for a real one.
using ConnectionHandle = unsigned long;

struct RasConnection {
    ConnectionHandle handle = 0;
    std::string entryName;
};

struct RasStatistics {
    std::uint32_t bytesSent = 0; // wraps like the system's 32-bit counters
    std::uint32_t bytesReceived = 0;
    std::uint64_t durationMs = 0;
};

// The operating system's remote-access service as the client uses it: the
// active connections, their state and traffic, and hang-up. Dialing itself is
// the separate dial tool.
class RemoteAccess {
public:
    static constexpr std::size_t kMaxConnections = 10; // room the client gives a listing
    static constexpr int kConnected = 8192;
    static constexpr int kDisconnected = 8193;

    virtual ~RemoteAccess() = default;
    // Every active connection, in the service's order; nothing when the
    // listing fails, which it does when more than kMaxConnections are active.
    virtual std::optional<std::vector<RasConnection>> listConnections() = 0;
    // kConnected, kDisconnected or a state of a dial in progress. Nothing for
    // handle 0 or a handle the service does not know (any more).
    virtual std::optional<int> connectionStatus(ConnectionHandle handle) = 0;
    // Bytes and duration of a connection; nothing when they cannot be read.
    virtual std::optional<RasStatistics> statistics(ConnectionHandle handle) = 0;
    // Closes the connection. The outcome is not reported: callers go on as if
    // it worked.
    virtual void hangUp(ConnectionHandle handle) = 0;
};

} // namespace platform
