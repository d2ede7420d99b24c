#pragma once

#include "platform/route_table.h"

namespace platform {

// Routes through rtnetlink. Each route is one RTM_NEWROUTE in the main table
// that must not exist yet. A direct route is a link-scope route on the
// interface with no gateway; the routes of one call share a nexthop object for
// that interface where the kernel has them (else each names the interface with
// RTA_OIF), which spares the kernel most of its work per route. A nexthop
// object that no route took is removed again. Messages go out in batches, each
// batch in one sendmsg, and only refusals and each batch's last message are
// answered. Works in the calling thread's network namespace; needs
// CAP_NET_ADMIN.
class NetlinkRouteTable final : public RouteTable {
public:
    // The answers to a larger batch can overflow the socket's default
    // receive buffer.
    static constexpr std::size_t kBatchSize = 200;

    explicit NetlinkRouteTable(bool useNexthops = true)
        : useNexthops_(useNexthops)
    {
    }

    RouteBatchResult addRoutes(const std::vector<Ipv4Route>& routes) override;

private:
    bool useNexthops_;
};

// Prefix length of a contiguous mask (network byte order); -1 for any other.
int prefixLength(std::uint32_t mask);

} // namespace platform
