#include "platform/linux/netlink_route_table.h"

#include <arpa/inet.h>
#include <cerrno>
#include <ctime>
#include <libmnl/libmnl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <memory>
#include <sys/socket.h>
#include <vector>

namespace platform {
namespace {

// nlmsghdr + rtmsg + four 32-bit attributes, with room to spare.
constexpr std::size_t kMessageSpace = 128;

using Socket = std::unique_ptr<mnl_socket, int (*)(mnl_socket*)>;

Socket openSocket()
{
    Socket nl(mnl_socket_open2(NETLINK_ROUTE, SOCK_CLOEXEC), mnl_socket_close);
    if (!nl || mnl_socket_bind(nl.get(), 0, MNL_SOCKET_AUTOPID) < 0)
        return Socket(nullptr, mnl_socket_close);
    const int fd = mnl_socket_get_fd(nl.get());
    // Refusals come back without a copy of the refused message.
    int one = 1;
    mnl_socket_setsockopt(nl.get(), NETLINK_CAP_ACK, &one, sizeof one);
    // Headroom for a batch in which everything is refused; the forced size
    // needs CAP_NET_ADMIN, which adding routes needs anyway.
    int rcvbuf = 1 << 20;
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &rcvbuf, sizeof rcvbuf) != 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
    // The kernel answers within the sendmsg; this only bounds a lost answer.
    timeval timeout { 1, 0 };
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return nl;
}

void putRoute(char* at, const Ipv4Route& route, int prefix, std::uint32_t seq, bool ack)
{
    nlmsghdr* nlh = mnl_nlmsg_put_header(at);
    nlh->nlmsg_type = RTM_NEWROUTE;
    nlh->nlmsg_flags = NLM_F_REQUEST | NLM_F_CREATE | NLM_F_EXCL | (ack ? NLM_F_ACK : 0);
    nlh->nlmsg_seq = seq;
    auto* rtm = static_cast<rtmsg*>(mnl_nlmsg_put_extra_header(nlh, sizeof(rtmsg)));
    rtm->rtm_family = AF_INET;
    rtm->rtm_dst_len = static_cast<unsigned char>(prefix);
    rtm->rtm_table = RT_TABLE_MAIN;
    rtm->rtm_protocol = RTPROT_STATIC;
    rtm->rtm_scope = route.direct ? RT_SCOPE_LINK : RT_SCOPE_UNIVERSE;
    rtm->rtm_type = RTN_UNICAST;
    mnl_attr_put_u32(nlh, RTA_DST, route.destination);
    mnl_attr_put_u32(nlh, RTA_OIF, static_cast<std::uint32_t>(route.interfaceIndex));
    mnl_attr_put_u32(nlh, RTA_PRIORITY, route.metric);
    if (!route.direct)
        mnl_attr_put_u32(nlh, RTA_GATEWAY, route.nextHop);
}

struct BatchOutcome {
    bool complete = false; // the batch's last message was answered
    std::size_t refused = 0;
};

// Reads answers until the one for lastSeq. Every refusal is answered, in
// order, and the last message asked for an answer in any case.
BatchOutcome readAnswers(mnl_socket* nl, std::uint32_t firstSeq, std::uint32_t lastSeq, unsigned portId)
{
    BatchOutcome out;
    std::vector<char> buf(static_cast<std::size_t>(MNL_SOCKET_BUFFER_SIZE));
    int flags = 0;
    for (;;) {
        const ssize_t n = recv(mnl_socket_get_fd(nl), buf.data(), buf.size(), flags);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == ENOBUFS && flags == 0) {
                // Answers were dropped: what is still queued can be counted,
                // the rest of the batch is unknown.
                flags = MSG_DONTWAIT;
                continue;
            }
            return out;
        }
        int len = static_cast<int>(n);
        for (auto* nlh = reinterpret_cast<const nlmsghdr*>(buf.data()); mnl_nlmsg_ok(nlh, len);
             nlh = mnl_nlmsg_next(nlh, &len)) {
            if (nlh->nlmsg_type != NLMSG_ERROR || nlh->nlmsg_pid != portId || nlh->nlmsg_seq < firstSeq
                || nlh->nlmsg_seq > lastSeq)
                continue; // a stale answer of an earlier batch
            if (nlh->nlmsg_len < mnl_nlmsg_size(sizeof(nlmsgerr)))
                continue;
            const auto* err = static_cast<const nlmsgerr*>(mnl_nlmsg_get_payload(nlh));
            if (err->error != 0)
                ++out.refused;
            if (nlh->nlmsg_seq == lastSeq) {
                out.complete = flags == 0;
                return out;
            }
        }
    }
}

} // namespace

int prefixLength(std::uint32_t mask)
{
    const std::uint32_t host = ntohl(mask);
    const std::uint32_t inverted = ~host;
    if ((inverted & (inverted + 1)) != 0)
        return -1;
    return __builtin_popcount(host);
}

RouteBatchResult NetlinkRouteTable::addRoutes(const std::vector<Ipv4Route>& routes)
{
    RouteBatchResult result;
    if (routes.empty())
        return result;
    Socket nl = openSocket();
    if (!nl)
        return result;
    const unsigned portId = mnl_socket_get_portid(nl.get());
    std::vector<char> buf(kBatchSize * kMessageSpace);
    std::uint32_t seq = static_cast<std::uint32_t>(time(nullptr)) & 0x3fffffff;

    std::size_t next = 0;
    while (next < routes.size()) {
        // Gather up to one batch of routes the kernel can express at all.
        std::vector<std::pair<const Ipv4Route*, int>> batch;
        batch.reserve(kBatchSize);
        while (next < routes.size() && batch.size() < kBatchSize) {
            const Ipv4Route& r = routes[next++];
            const int prefix = prefixLength(r.mask);
            if (prefix < 0)
                ++result.refused; // a mask with holes is no prefix
            else
                batch.emplace_back(&r, prefix);
        }
        if (batch.empty())
            continue;
        const std::uint32_t firstSeq = seq;
        std::size_t used = 0;
        for (std::size_t i = 0; i < batch.size(); ++i) {
            putRoute(buf.data() + used, *batch[i].first, batch[i].second, seq++, i + 1 == batch.size());
            used += reinterpret_cast<const nlmsghdr*>(buf.data() + used)->nlmsg_len;
        }
        if (mnl_socket_sendto(nl.get(), buf.data(), used) < 0)
            return result;
        const BatchOutcome outcome = readAnswers(nl.get(), firstSeq, seq - 1, portId);
        result.refused += outcome.refused;
        if (outcome.complete)
            result.added += batch.size() - outcome.refused;
    }
    return result;
}

} // namespace platform
