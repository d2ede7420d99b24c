#pragma once

#include "platform/network_adapters.h"

namespace platform {

// Adapters from getifaddrs: the link-layer entries give index and hardware
// type, the AF_INET entries the addresses. Sees the calling thread's network
// namespace.
class GetifaddrsNetworkAdapters final : public NetworkAdapters {
public:
    std::vector<NetworkAdapter> list() const override;
};

} // namespace platform
