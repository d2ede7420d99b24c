#include "platform/linux/netlink_route_table.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <ctime>
#include <libmnl/libmnl.h>
#include <linux/netlink.h>
#include <linux/nexthop.h>
#include <linux/rtnetlink.h>
#include <map>
#include <memory>
#include <optional>
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

class Conversation {
public:
    explicit Conversation(mnl_socket* nl)
        : nl_(nl)
        , portId_(mnl_socket_get_portid(nl))
        , seq_(static_cast<std::uint32_t>(time(nullptr)) & 0x3fffffff)
    {
    }

    std::uint32_t nextSeq() { return seq_++; }
    bool send(const void* data, std::size_t size) { return mnl_socket_sendto(nl_, data, size) >= 0; }

    struct Answers {
        bool complete = false; // the answer to lastSeq came and nothing was lost
        bool silent = false; // no answer within the time-out
        std::vector<std::uint32_t> refused; // sequence numbers
        std::optional<std::uint32_t> nexthopId; // from an echoed RTM_NEWNEXTHOP
    };

    // Reads answers up to the one for lastSeq. Every refusal is answered, in
    // order, and the last message always asks for an answer.
    Answers read(std::uint32_t firstSeq, std::uint32_t lastSeq)
    {
        Answers out;
        std::vector<char> buf(static_cast<std::size_t>(MNL_SOCKET_BUFFER_SIZE));
        int flags = 0;
        for (;;) {
            const ssize_t n = recv(mnl_socket_get_fd(nl_), buf.data(), buf.size(), flags);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == ENOBUFS && flags == 0) {
                    // Answers were dropped: what is still queued can be
                    // counted, the rest is unknown.
                    flags = MSG_DONTWAIT;
                    continue;
                }
                out.silent = flags == 0;
                return out;
            }
            int len = static_cast<int>(n);
            for (auto* nlh = reinterpret_cast<const nlmsghdr*>(buf.data()); mnl_nlmsg_ok(nlh, len);
                 nlh = mnl_nlmsg_next(nlh, &len)) {
                if (nlh->nlmsg_pid != portId_ || nlh->nlmsg_seq < firstSeq || nlh->nlmsg_seq > lastSeq)
                    continue; // a stale answer to an earlier request
                if (nlh->nlmsg_type == RTM_NEWNEXTHOP) {
                    out.nexthopId = echoedNexthopId(nlh);
                    continue;
                }
                if (nlh->nlmsg_type != NLMSG_ERROR || nlh->nlmsg_len < mnl_nlmsg_size(sizeof(nlmsgerr)))
                    continue;
                const auto* err = static_cast<const nlmsgerr*>(mnl_nlmsg_get_payload(nlh));
                if (err->error != 0)
                    out.refused.push_back(nlh->nlmsg_seq);
                if (nlh->nlmsg_seq == lastSeq) {
                    out.complete = flags == 0;
                    return out;
                }
            }
        }
    }

private:
    static std::optional<std::uint32_t> echoedNexthopId(const nlmsghdr* nlh)
    {
        std::optional<std::uint32_t> id;
        mnl_attr_parse(
            nlh, sizeof(nhmsg),
            [](const nlattr* attr, void* data) {
                if (mnl_attr_get_type(attr) == NHA_ID && mnl_attr_validate(attr, MNL_TYPE_U32) == 0)
                    *static_cast<std::optional<std::uint32_t>*>(data) = mnl_attr_get_u32(attr);
                return MNL_CB_OK;
            },
            &id);
        return id;
    }

    mnl_socket* nl_;
    unsigned portId_;
    std::uint32_t seq_;
};

// A nexthop object for "directly on this device": routes that share it skip
// building and checking a nexthop of their own, which is most of the kernel's
// work per route. Nothing when the kernel has no nexthop objects (before
// Linux 5.3) or refuses one for the device.
std::optional<std::uint32_t> createDeviceNexthop(Conversation& talk, int ifIndex)
{
    char buf[kMessageSpace];
    nlmsghdr* nlh = mnl_nlmsg_put_header(buf);
    nlh->nlmsg_type = RTM_NEWNEXTHOP;
    nlh->nlmsg_flags = NLM_F_REQUEST | NLM_F_CREATE | NLM_F_EXCL | NLM_F_ACK | NLM_F_ECHO;
    nlh->nlmsg_seq = talk.nextSeq();
    auto* nhm = static_cast<nhmsg*>(mnl_nlmsg_put_extra_header(nlh, sizeof(nhmsg)));
    nhm->nh_family = AF_INET;
    nhm->nh_protocol = RTPROT_STATIC;
    mnl_attr_put_u32(nlh, NHA_OIF, static_cast<std::uint32_t>(ifIndex)); // no NHA_ID: the kernel picks one
    if (!talk.send(buf, nlh->nlmsg_len))
        return std::nullopt;
    const auto answers = talk.read(nlh->nlmsg_seq, nlh->nlmsg_seq);
    if (!answers.complete || !answers.refused.empty())
        return std::nullopt;
    return answers.nexthopId;
}

void deleteNexthop(Conversation& talk, std::uint32_t id)
{
    char buf[kMessageSpace];
    nlmsghdr* nlh = mnl_nlmsg_put_header(buf);
    nlh->nlmsg_type = RTM_DELNEXTHOP;
    nlh->nlmsg_flags = NLM_F_REQUEST | NLM_F_ACK;
    nlh->nlmsg_seq = talk.nextSeq();
    auto* nhm = static_cast<nhmsg*>(mnl_nlmsg_put_extra_header(nlh, sizeof(nhmsg)));
    nhm->nh_family = AF_UNSPEC;
    mnl_attr_put_u32(nlh, NHA_ID, id);
    if (talk.send(buf, nlh->nlmsg_len))
        talk.read(nlh->nlmsg_seq, nlh->nlmsg_seq);
}

void putRoute(
    char* at, const Ipv4Route& route, int prefix, std::optional<std::uint32_t> nexthop, std::uint32_t seq)
{
    nlmsghdr* nlh = mnl_nlmsg_put_header(at);
    nlh->nlmsg_type = RTM_NEWROUTE;
    nlh->nlmsg_flags = NLM_F_REQUEST | NLM_F_CREATE | NLM_F_EXCL;
    nlh->nlmsg_seq = seq;
    auto* rtm = static_cast<rtmsg*>(mnl_nlmsg_put_extra_header(nlh, sizeof(rtmsg)));
    rtm->rtm_family = AF_INET;
    rtm->rtm_dst_len = static_cast<unsigned char>(prefix);
    rtm->rtm_table = RT_TABLE_MAIN;
    rtm->rtm_protocol = RTPROT_STATIC;
    rtm->rtm_scope = route.direct ? RT_SCOPE_LINK : RT_SCOPE_UNIVERSE;
    rtm->rtm_type = RTN_UNICAST;
    mnl_attr_put_u32(nlh, RTA_DST, route.destination);
    mnl_attr_put_u32(nlh, RTA_PRIORITY, route.metric);
    if (nexthop) {
        mnl_attr_put_u32(nlh, RTA_NH_ID, *nexthop);
        return;
    }
    mnl_attr_put_u32(nlh, RTA_OIF, static_cast<std::uint32_t>(route.interfaceIndex));
    if (!route.direct)
        mnl_attr_put_u32(nlh, RTA_GATEWAY, route.nextHop);
}

struct Nexthop {
    std::optional<std::uint32_t> id;
    bool inUse = false; // a route refers to it, or may
};

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
    Conversation talk(nl.get());
    std::map<int, Nexthop> nexthops; // of direct routes, by interface
    const auto nexthopFor = [&](const Ipv4Route& r) -> Nexthop* {
        if (!r.direct || !useNexthops_)
            return nullptr;
        auto [it, fresh] = nexthops.try_emplace(r.interfaceIndex);
        if (fresh)
            it->second.id = createDeviceNexthop(talk, r.interfaceIndex);
        return it->second.id ? &it->second : nullptr;
    };

    std::vector<char> buf(kBatchSize * kMessageSpace);
    struct Sent {
        std::uint32_t seq;
        Nexthop* nexthop;
    };
    std::vector<Sent> sent;
    sent.reserve(kBatchSize);
    std::size_t next = 0;
    while (next < routes.size()) {
        std::size_t used = 0;
        std::size_t lastAt = 0;
        sent.clear();
        while (next < routes.size() && sent.size() < kBatchSize) {
            const Ipv4Route& r = routes[next++];
            const int prefix = prefixLength(r.mask);
            if (prefix < 0) {
                ++result.refused; // a mask with holes is no prefix
                continue;
            }
            Nexthop* nh = nexthopFor(r);
            const std::uint32_t seq = talk.nextSeq();
            lastAt = used;
            putRoute(buf.data() + used, r, prefix, nh ? nh->id : std::nullopt, seq);
            used += reinterpret_cast<const nlmsghdr*>(buf.data() + used)->nlmsg_len;
            sent.push_back({ seq, nh });
        }
        if (sent.empty())
            continue;
        // Refusals are always answered; success only where asked, and the
        // answer to the last message tells that the batch is through.
        reinterpret_cast<nlmsghdr*>(buf.data() + lastAt)->nlmsg_flags |= NLM_F_ACK;
        if (!talk.send(buf.data(), used))
            break;
        const auto answers = talk.read(sent.front().seq, sent.back().seq);
        result.refused += answers.refused.size();
        if (answers.complete)
            result.added += sent.size() - answers.refused.size();
        for (const Sent& s : sent) {
            if (s.nexthop
                && (!answers.complete
                    || !std::binary_search(answers.refused.begin(), answers.refused.end(), s.seq)))
                s.nexthop->inUse = true;
        }
        if (answers.silent)
            break; // no answer within the time-out: asking on would only wait again
    }
    // Leave nothing behind that no route uses.
    for (auto& [ifIndex, nh] : nexthops)
        if (nh.id && !nh.inUse)
            deleteNexthop(talk, *nh.id);
    return result;
}

} // namespace platform
