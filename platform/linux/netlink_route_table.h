#pragma once

#include "platform/route_table.h"

namespace platform {

// Routes through rtnetlink. Each route is one RTM_NEWROUTE in the main table
// that must not exist yet; a direct route is a link-scope route on the
// interface with no gateway. Messages go out in batches, each batch in one
// sendmsg, and only refusals and each batch's last message are acknowledged.
// Works in the calling thread's network namespace; needs CAP_NET_ADMIN.
class NetlinkRouteTable final : public RouteTable {
public:
    // The acknowledgements of a larger batch can overflow the socket's
    // default receive buffer.
    static constexpr std::size_t kBatchSize = 200;

    RouteBatchResult addRoutes(const std::vector<Ipv4Route>& routes) override;
};

// Prefix length of a contiguous mask (network byte order); -1 for any other.
int prefixLength(std::uint32_t mask);

} // namespace platform
