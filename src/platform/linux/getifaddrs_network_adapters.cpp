#include "platform/linux/getifaddrs_network_adapters.h"

#include <arpa/inet.h>
#include <cstring>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

// "eth0:1" is an address label on eth0, not an interface of its own.
std::string deviceOf(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? std::string(name, colon) : std::string(name);
}

// For a device that getifaddrs gave no link-layer entry.
std::uint16_t linkTypeByIoctl(const std::string& name)
{
    const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return 0;
    ifreq ifr {};
    std::strncpy(ifr.ifr_name, name.c_str(), IFNAMSIZ - 1);
    const bool ok = ioctl(sock, SIOCGIFHWADDR, &ifr) == 0;
    close(sock);
    return ok ? ifr.ifr_hwaddr.sa_family : 0;
}

} // namespace

std::vector<NetworkAdapter> GetifaddrsNetworkAdapters::list() const
{
    ifaddrs* head = nullptr;
    if (getifaddrs(&head) != 0)
        return {};
    std::vector<NetworkAdapter> adapters;
    const auto adapterFor = [&adapters](const std::string& name) -> NetworkAdapter& {
        for (auto& a : adapters)
            if (a.name == name)
                return a;
        NetworkAdapter a;
        a.name = name;
        a.index = static_cast<int>(if_nametoindex(name.c_str()));
        adapters.push_back(std::move(a));
        return adapters.back();
    };
    std::vector<bool> typed;
    for (const ifaddrs* ifa = head; ifa; ifa = ifa->ifa_next) {
        if (!ifa->ifa_name)
            continue;
        if (!ifa->ifa_addr) {
            // A link without a hardware address (TUN, PPP) comes without one.
            adapterFor(deviceOf(ifa->ifa_name));
            continue;
        }
        const int family = ifa->ifa_addr->sa_family;
        if (family == AF_PACKET) {
            NetworkAdapter& a = adapterFor(ifa->ifa_name);
            const auto* ll = reinterpret_cast<const sockaddr_ll*>(ifa->ifa_addr);
            a.linkType = ll->sll_hatype;
            if (ll->sll_ifindex > 0)
                a.index = ll->sll_ifindex;
            typed.resize(adapters.size());
            typed[static_cast<size_t>(&a - adapters.data())] = true;
        } else if (family == AF_INET) {
            NetworkAdapter& a = adapterFor(deviceOf(ifa->ifa_name));
            char text[INET_ADDRSTRLEN] = {};
            const auto* sin = reinterpret_cast<const sockaddr_in*>(ifa->ifa_addr);
            if (inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text))
                a.ipv4.emplace_back(text);
        }
    }
    freeifaddrs(head);
    typed.resize(adapters.size());
    for (size_t i = 0; i < adapters.size(); ++i)
        if (!typed[i])
            adapters[i].linkType = linkTypeByIoctl(adapters[i].name);
    return adapters;
}

} // namespace platform
