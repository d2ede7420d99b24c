#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// One IPv4 route. Addresses and mask in network byte order, as inet_addr gives
// them.
struct Ipv4Route {
    std::uint32_t destination = 0;
    std::uint32_t mask = 0;
    std::uint32_t nextHop = 0;
    int interfaceIndex = 0;
    std::uint32_t metric = 0;
    // Direct: the destination is on the interface's link itself and nextHop is
    // our own address there, not a gateway.
    bool direct = true;
};

struct RouteBatchResult {
    std::size_t added = 0;
    std::size_t refused = 0; // by the system: exists already, bad prefix, no such interface, ...
};

// The system's IPv4 routing table.
class RouteTable {
public:
    virtual ~RouteTable() = default;
    // Adds every route it can, in order; one refusal does not stop the rest.
    // added + refused falls short of routes.size() only when the system could
    // not be asked at all for the remainder.
    virtual RouteBatchResult addRoutes(const std::vector<Ipv4Route>& routes) = 0;
};

} // namespace platform
