#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct NetworkAdapter {
    static constexpr std::uint16_t kLinkPpp = 512; // ARPHRD_PPP

    std::string name;
    int index = 0; // interface index
    std::uint16_t linkType = 0; // hardware type, ARPHRD numbering
    std::vector<std::string> ipv4; // dotted quads, in the system's order
};

// The system's network adapters with their IPv4 addresses.
class NetworkAdapters {
public:
    virtual ~NetworkAdapters() = default;
    // In the system's order; empty when the list cannot be had.
    virtual std::vector<NetworkAdapter> list() const = 0;
};

} // namespace platform
