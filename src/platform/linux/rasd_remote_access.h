#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/linux/rasd_client.h"
#include "platform/remote_access.h"
#include "platform/route_table.h"

namespace platform {

// The caller's side of the remote-access service, shared by its remote-access
// and route views: one connection, opened on first use and again after it
// broke, announced as a client's ("attach") so that the service keeps this
// user's links only while a client is there. Thread-safe.
class RasdSession {
public:
    explicit RasdSession(std::string socketPath = rasd::kSocketPath);
    // Opens the connection now, so that a dial finds the client attached.
    void open();
    std::optional<rasd::Message> request(const rasd::Message& message, int timeoutMs);

private:
    bool ensureLocked();

    std::mutex mutex_;
    rasd::Client client_;
    std::string socketPath_;
};

class RasdRemoteAccess final : public RemoteAccess {
public:
    explicit RasdRemoteAccess(std::shared_ptr<RasdSession> session)
        : session_(std::move(session))
    {
    }

    std::optional<std::vector<RasConnection>> listConnections() override;
    std::optional<int> connectionStatus(ConnectionHandle handle) override;
    std::optional<RasStatistics> statistics(ConnectionHandle handle) override;
    void hangUp(ConnectionHandle handle) override;

private:
    std::shared_ptr<RasdSession> session_;
};

// Routes through the service, which adds them only through the caller's own
// tunnels. Sent in batches so that no request nears the frame limit.
class RasdRouteTable final : public RouteTable {
public:
    static constexpr std::size_t kBatchSize = 4000;

    explicit RasdRouteTable(std::shared_ptr<RasdSession> session)
        : session_(std::move(session))
    {
    }

    RouteBatchResult addRoutes(const std::vector<Ipv4Route>& routes) override;

    // "a.b.c.d/len ifindex metric", the wire form of one route; empty for a
    // mask that is not a prefix.
    static std::string wireForm(const Ipv4Route& route);

private:
    std::shared_ptr<RasdSession> session_;
};

} // namespace platform
