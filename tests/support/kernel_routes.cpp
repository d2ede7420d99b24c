#include "tests/support/kernel_routes.h"

#include <algorithm>
#include <arpa/inet.h>
#include <ctime>
#include <libmnl/libmnl.h>
#include <linux/nexthop.h>
#include <linux/rtnetlink.h>
#include <memory>
#include <stdexcept>

namespace {

int attributeCallback(const nlattr* attr, void* data)
{
    auto* route = static_cast<KernelRoute*>(data);
    if (mnl_attr_type_valid(attr, RTA_MAX) < 0 || mnl_attr_validate(attr, MNL_TYPE_U32) < 0)
        return MNL_CB_OK;
    switch (mnl_attr_get_type(attr)) {
    case RTA_DST:
        route->destination = mnl_attr_get_u32(attr);
        break;
    case RTA_OIF:
        route->oif = static_cast<int>(mnl_attr_get_u32(attr));
        break;
    case RTA_PRIORITY:
        route->priority = mnl_attr_get_u32(attr);
        break;
    case RTA_GATEWAY:
        route->gateway = mnl_attr_get_u32(attr);
        break;
    case RTA_NH_ID:
        route->nexthopId = mnl_attr_get_u32(attr);
        break;
    default:
        break;
    }
    return MNL_CB_OK;
}

int routeCallback(const nlmsghdr* nlh, void* data)
{
    const auto* rtm = static_cast<const rtmsg*>(mnl_nlmsg_get_payload(nlh));
    if (rtm->rtm_family != AF_INET || rtm->rtm_table != RT_TABLE_MAIN)
        return MNL_CB_OK;
    KernelRoute route;
    route.prefix = rtm->rtm_dst_len;
    route.scope = rtm->rtm_scope;
    route.protocol = rtm->rtm_protocol;
    mnl_attr_parse(nlh, sizeof(*rtm), attributeCallback, &route);
    static_cast<std::vector<KernelRoute>*>(data)->push_back(route);
    return MNL_CB_OK;
}

// Runs one dump request and hands every answer to callback.
void dump(std::uint16_t type, std::uint8_t family, size_t headerSize, mnl_cb_t callback, void* data)
{
    std::unique_ptr<mnl_socket, int (*)(mnl_socket*)> nl(mnl_socket_open(NETLINK_ROUTE), mnl_socket_close);
    if (!nl || mnl_socket_bind(nl.get(), 0, MNL_SOCKET_AUTOPID) < 0)
        throw std::runtime_error("netlink socket");
    std::vector<char> buf(1 << 16); // a dump part can be larger than a page
    nlmsghdr* nlh = mnl_nlmsg_put_header(buf.data());
    nlh->nlmsg_type = type;
    nlh->nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    const unsigned seq = static_cast<unsigned>(time(nullptr));
    nlh->nlmsg_seq = seq;
    // rtmsg and nhmsg both begin with the family.
    auto* header = static_cast<std::uint8_t*>(mnl_nlmsg_put_extra_header(nlh, headerSize));
    header[0] = family;
    if (mnl_socket_sendto(nl.get(), nlh, nlh->nlmsg_len) < 0)
        throw std::runtime_error("netlink send");
    const unsigned portId = mnl_socket_get_portid(nl.get());
    for (;;) {
        const ssize_t n = mnl_socket_recvfrom(nl.get(), buf.data(), buf.size());
        if (n < 0)
            throw std::runtime_error("netlink receive");
        const int rc = mnl_cb_run(buf.data(), static_cast<size_t>(n), seq, portId, callback, data);
        if (rc == MNL_CB_STOP)
            break;
        if (rc < 0)
            throw std::runtime_error("netlink dump");
    }
}

int nexthopCallback(const nlmsghdr* nlh, void* data)
{
    mnl_attr_parse(
        nlh, sizeof(nhmsg),
        [](const nlattr* attr, void* ids) {
            if (mnl_attr_get_type(attr) == NHA_ID && mnl_attr_validate(attr, MNL_TYPE_U32) == 0)
                static_cast<std::vector<std::uint32_t>*>(ids)->push_back(mnl_attr_get_u32(attr));
            return MNL_CB_OK;
        },
        data);
    return MNL_CB_OK;
}

} // namespace

std::vector<KernelRoute> dumpMainIpv4Routes()
{
    std::vector<KernelRoute> routes;
    dump(RTM_GETROUTE, AF_INET, sizeof(rtmsg), routeCallback, &routes);
    return routes;
}

std::vector<std::uint32_t> dumpNexthopIds()
{
    std::vector<std::uint32_t> ids;
    dump(RTM_GETNEXTHOP, AF_UNSPEC, sizeof(nhmsg), nexthopCallback, &ids);
    return ids;
}

std::vector<KernelRoute> routesWithPriority(std::uint32_t priority)
{
    std::vector<KernelRoute> out;
    for (const auto& r : dumpMainIpv4Routes())
        if (r.priority == priority)
            out.push_back(r);
    std::sort(out.begin(), out.end(), [](const KernelRoute& a, const KernelRoute& b) {
        return std::pair(ntohl(a.destination), a.prefix) < std::pair(ntohl(b.destination), b.prefix);
    });
    return out;
}

std::string describe(const KernelRoute& r)
{
    char dst[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &r.destination, dst, sizeof dst);
    return std::string(dst) + "/" + std::to_string(r.prefix) + " oif " + std::to_string(r.oif) + " metric "
        + std::to_string(r.priority) + " scope " + std::to_string(r.scope) + (r.gateway ? " via gateway" : "")
        + (r.nexthopId ? " nhid " + std::to_string(r.nexthopId) : "");
}
