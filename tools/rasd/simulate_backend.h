#pragma once

#include "platform/linux/connection_registry.h"
#include "tools/rasd/dial_outcome.h"
#include "tools/rasd/dial_scenario.h"

// A dial without a server: a persistent TUN interface whose link type is PPP,
// with a 10.x address, in the current network namespace, held by a small
// background process that drains it and takes it away when the scenario's
// drop time comes, on SIGTERM, or when its registry record disappears. The
// scenario decides the answer. Needs CAP_NET_ADMIN.
class SimulateBackend {
public:
    SimulateBackend(const platform::ConnectionRegistry& registry, DialScenario scenario)
        : registry_(registry)
        , scenario_(std::move(scenario))
    {
    }

    DialOutcome dial(const DialRequest& request);

    // 10.64.x.y and its peer 10.65.x.y, different for every handle up to 64516.
    static std::pair<std::string, std::string> addressesFor(platform::ConnectionHandle handle);

private:
    const platform::ConnectionRegistry& registry_;
    DialScenario scenario_;
};
