// The route installer against the kernel, inside network namespaces the tests
// make themselves.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <array>
#include <cstring>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/gbk_codec.h"
#include "platform/linux/getifaddrs_network_adapters.h"
#include "platform/linux/netlink_route_table.h"
#include "platform/linux/tun_device.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/kernel_routes.h"
#include "tests/support/net_namespace.h"
#include "core/vpn/route_installer.h"

using platform::TunDevice;

namespace {

std::uint32_t ip(const char* text)
{
    return inet_addr(text);
}

TunDevice pppTunnel(const char* address, const char* peer)
{
    auto tun = TunDevice::open("zvt%d", TunDevice::kLinkPpp);
    if (!tun)
        throw std::runtime_error("no TUN device");
    if (!tun->configure(address, peer))
        throw std::runtime_error("cannot configure " + tun->name());
    return std::move(*tun);
}

// A second address on the device, under an alias label.
bool addAliasAddress(const std::string& label, const char* address)
{
    const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq ifr {};
    std::strncpy(ifr.ifr_name, label.c_str(), IFNAMSIZ - 1);
    auto* sin = reinterpret_cast<sockaddr_in*>(&ifr.ifr_addr);
    sin->sin_family = AF_INET;
    inet_pton(AF_INET, address, &sin->sin_addr);
    const bool ok = ioctl(sock, SIOCSIFADDR, &ifr) == 0;
    close(sock);
    return ok;
}

// Parameter: whether the routes share a nexthop object (else RTA_OIF each).
class RouteNamespaceTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root for network namespaces";
    }

    // Runs body in a fresh namespace; fails the test when there is none.
    void inNamespace(const std::function<void()>& body)
    {
        ASSERT_TRUE(runInNewNetworkNamespace(body)) << "unshare(CLONE_NEWNET) failed";
    }

    TempDir dir;
    EventLog log { std::make_shared<FakeClock>(), dir.file("log.txt") };
    platform::GetifaddrsNetworkAdapters adapters;
    platform::NetlinkRouteTable table { GetParam() };
    RouteInstaller installer { adapters, table };
};

} // namespace

TEST(NetworkAdapters, TypeIndexAndAddressesInOrder)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root for a network namespace";
    platform::GetifaddrsNetworkAdapters adapters;
    const bool made = runInNewNetworkNamespace([&] {
        TunDevice plain = *TunDevice::open("zvtplain%d");
        TunDevice ppp = pppTunnel("10.64.0.2", "10.64.0.1");
        ASSERT_TRUE(addAliasAddress(ppp.name() + ":1", "172.20.0.2"));
        const auto list = adapters.list();
        const auto find = [&](const std::string& name) {
            for (const auto& a : list)
                if (a.name == name)
                    return a;
            ADD_FAILURE() << "no adapter " << name;
            return platform::NetworkAdapter {};
        };
        const auto lo = find("lo");
        EXPECT_EQ(lo.linkType, 772); // ARPHRD_LOOPBACK
        EXPECT_TRUE(lo.ipv4.empty()) << "down and unaddressed in a fresh namespace";
        const auto p = find(ppp.name());
        EXPECT_EQ(p.index, ppp.index());
        EXPECT_EQ(p.linkType, TunDevice::kLinkPpp);
        EXPECT_EQ(p.ipv4, (std::vector<std::string> { "10.64.0.2", "172.20.0.2" }));
        EXPECT_EQ(find(plain.name()).linkType, TunDevice::kLinkNone);
        EXPECT_EQ(list.size(), 3u);
    });
    EXPECT_TRUE(made);
}

TEST_P(RouteNamespaceTest, InstallsTheTableThroughTheTunnel)
{
    writeBytes(dir.file("RouteTabledx.tab"),
        "1.1.8.0 255.255.255.0\r\n"
        "58.14.0.0    255.254.0.0\r\n" // several spaces
        "1.2.4.0\t255.255.254.0\r\n" // tab only: skipped
        "\r\n"
        "101.4.0.0 255.252.0.0\n"
        "1.1.8.0 255.255.255.0\r\n" // again: refused, dropped
        "36.0.0.7 255.255.0.0\r\n" // host bits set: refused
        "36.1.0.0 255.0.255.0\r\n" // a mask with holes: refused
        "bad 255.255.255.0\r\n" // all ones with host bits: refused
        "219.0.0.0 255.0.0.0");
    inNamespace([&] {
        TunDevice tun = pppTunnel("10.64.0.2", "10.64.0.1");
        const auto result = installer.installRoutes(1, dir.path(), log);
        EXPECT_EQ(result.added, 4u);
        EXPECT_EQ(result.refused, 4u);
        EXPECT_EQ(installer.tunnel().ifIndex, tun.index());
        EXPECT_EQ(installer.tunnel().ip, "10.64.0.2");

        const auto routes = routesWithPriority(999);
        const std::vector<std::pair<std::uint32_t, int>> want = { { ip("1.1.8.0"), 24 },
            { ip("58.14.0.0"), 15 }, { ip("101.4.0.0"), 14 }, { ip("219.0.0.0"), 8 } };
        ASSERT_EQ(routes.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            SCOPED_TRACE(describe(routes[i]));
            EXPECT_EQ(routes[i].destination, want[i].first);
            EXPECT_EQ(routes[i].prefix, want[i].second);
            EXPECT_EQ(routes[i].oif, tun.index());
            EXPECT_EQ(routes[i].scope, RT_SCOPE_LINK);
            EXPECT_EQ(routes[i].gateway, 0u);
            EXPECT_EQ(routes[i].protocol, RTPROT_STATIC);
            EXPECT_EQ(routes[i].nexthopId != 0, GetParam());
        }
        EXPECT_EQ(dumpNexthopIds().size(), GetParam() ? 1u : 0u);
    });
    EXPECT_FALSE(fileExists(dir.file("log.txt")));
}

TEST_P(RouteNamespaceTest, TheTunnelListedLastWins)
{
    writeBytes(dir.file("RouteTablewt.tab"), "1.1.8.0 255.255.255.0\r\n");
    inNamespace([&] {
        TunDevice first = pppTunnel("10.1.0.2", "10.1.0.1");
        TunDevice second = pppTunnel("172.16.0.2", "172.16.0.1");
        TunDevice notPpp = *TunDevice::open("zvtplain%d");
        ASSERT_TRUE(notPpp.configure("10.9.0.2", "10.9.0.1"));
        ASSERT_LT(first.index(), second.index());
        installer.installRoutes(2, dir.path(), log);
        EXPECT_EQ(installer.tunnel().ip, "172.16.0.2");
        const auto routes = routesWithPriority(999);
        ASSERT_EQ(routes.size(), 1u);
        EXPECT_EQ(routes[0].oif, second.index()) << describe(routes[0]);
    });
}

TEST_P(RouteNamespaceTest, TunnelGoneBeforeTheRoutes)
{
    // The tunnel dropped between finding it and adding the routes: every
    // route is refused, nothing is left behind.
    inNamespace([&] {
        TunDevice tun = pppTunnel("10.64.0.2", "10.64.0.1");
        const int index = tun.index();
        std::vector<platform::Ipv4Route> routes(3);
        for (size_t i = 0; i < routes.size(); ++i) {
            routes[i].destination = htonl(0x01010000u + (static_cast<std::uint32_t>(i) << 8));
            routes[i].mask = ip("255.255.255.0");
            routes[i].interfaceIndex = index;
            routes[i].metric = 999;
        }
        tun = TunDevice(std::move(*TunDevice::open("zvtother%d"))); // the first one goes away
        ASSERT_EQ(
            if_indextoname(static_cast<unsigned>(index), std::array<char, IF_NAMESIZE> {}.data()), nullptr);
        const auto result = table.addRoutes(routes);
        EXPECT_EQ(result.added, 0u);
        EXPECT_EQ(result.refused, 3u);
        EXPECT_TRUE(routesWithPriority(999).empty());
        EXPECT_TRUE(dumpNexthopIds().empty());
    });
}

TEST_P(RouteNamespaceTest, TunnelAddressOutsideThePrefixesAddsNothing)
{
    writeBytes(dir.file("RouteTabledx.tab"), "1.1.8.0 255.255.255.0\r\n");
    inNamespace([&] {
        TunDevice tun = pppTunnel("192.168.77.2", "192.168.77.1");
        const auto result = installer.installRoutes(1, dir.path(), log);
        EXPECT_EQ(result.added, 0u);
        EXPECT_TRUE(routesWithPriority(999).empty());
    });
    EXPECT_EQ(
        platform::gbkToUtf8(readBytes(dir.file("log.txt"))), "[2026-03-05 07:08:09]添加路由失败:0:\r\n");
}

TEST_P(RouteNamespaceTest, RealTableInManyBatchesAndAgainAllRefused)
{
    const std::string text = readBytes(std::string(ZAVTREL_TEST_DATA_DIR) + "/cn-routes.tab");
    writeBytes(dir.file("RouteTabledx.tab"), text);
    const auto lines = parseRouteTable(text);
    ASSERT_GT(lines.size(), 10 * platform::NetlinkRouteTable::kBatchSize);
    inNamespace([&] {
        TunDevice tun = pppTunnel("10.64.0.2", "10.64.0.1");
        const auto first = installer.installRoutes(1, dir.path(), log);
        EXPECT_EQ(first.added, lines.size());
        EXPECT_EQ(first.refused, 0u);
        auto routes = routesWithPriority(999);
        ASSERT_EQ(routes.size(), lines.size());
        std::vector<std::pair<std::uint32_t, int>> got, want;
        for (const auto& r : routes) {
            got.emplace_back(ntohl(r.destination), r.prefix);
            EXPECT_EQ(r.oif, tun.index());
        }
        for (const auto& l : lines)
            want.emplace_back(ntohl(l.destination), platform::prefixLength(l.mask));
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want);

        // Every refusal is answered: a whole table of them must neither hang
        // nor be miscounted.
        const auto nexthops = dumpNexthopIds();
        const auto second = installer.installRoutes(1, dir.path(), log);
        EXPECT_EQ(second.added, 0u);
        EXPECT_EQ(second.refused, lines.size());
        EXPECT_EQ(routesWithPriority(999).size(), lines.size());
        EXPECT_EQ(dumpNexthopIds(), nexthops) << "a nexthop object that no route took must go again";
    });
}

INSTANTIATE_TEST_SUITE_P(Netlink, RouteNamespaceTest, ::testing::Values(true, false),
    [](const auto& test) { return test.param ? "SharedNexthop" : "InterfacePerRoute"; });
