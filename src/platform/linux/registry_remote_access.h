#pragma once

#include <memory>

#include "platform/clock.h"
#include "platform/linux/connection_registry.h"
#include "platform/remote_access.h"

namespace platform {

// The client's view of the connections that the dial tool keeps in the
// registry. Byte counters come from the interface's statistics in sysfs.
class RegistryRemoteAccess final : public RemoteAccess {
public:
    // The state reported while a dial is still under way.
    static constexpr int kDialing = 2;

    // sysClassNet is where the interfaces' statistics live ("/sys/class/net/"
    // for the network namespace sysfs was mounted in).
    RegistryRemoteAccess(ConnectionRegistry registry, std::shared_ptr<const Clock> clock,
        std::string sysClassNet = "/sys/class/net/");

    std::optional<std::vector<RasConnection>> listConnections() override;
    std::optional<int> connectionStatus(ConnectionHandle handle) override;
    std::optional<RasStatistics> statistics(ConnectionHandle handle) override;
    void hangUp(ConnectionHandle handle) override;

    const ConnectionRegistry& registry() const { return registry_; }

private:
    ConnectionRegistry registry_;
    std::shared_ptr<const Clock> clock_;
    std::string sysClassNet_;
};

// Ends the process that holds a connection's link and takes away what it
// leaves behind; shared by the client's hang-up and the tool's /disconnect.
void endConnection(const ConnectionRegistry& registry, const ConnectionRecord& record);

} // namespace platform
