#pragma once

#include "platform/icmp_probe.h"

namespace platform {

// ICMP echo over a socket opened for each request: an ICMP datagram socket
// where net.ipv4.ping_group_range admits the caller, else a raw socket (needs
// CAP_NET_RAW), which sees every echo reply on the host and so matches
// identifier, sequence and source itself.
class SocketIcmpProbe final : public IcmpProbe {
public:
    enum class Transport {
        Automatic, // datagram, falling back to raw
        Datagram,
        Raw,
    };

    explicit SocketIcmpProbe(Transport transport = Transport::Automatic)
        : transport_(transport)
    {
    }

    std::string ping(const std::string& address) override;

private:
    Transport transport_;
};

} // namespace platform
