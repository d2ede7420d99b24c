#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <sys/stat.h>

#include "platform/gbk_codec.h"
#include "platform/linux/netlink_route_table.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"
#include "core/vpn/route_installer.h"

using platform::NetworkAdapter;

namespace {

constexpr std::uint16_t kPpp = NetworkAdapter::kLinkPpp;
constexpr std::uint16_t kEther = 1;

class FakeAdapters : public platform::NetworkAdapters {
public:
    std::vector<NetworkAdapter> adapters;
    std::vector<NetworkAdapter> list() const override { return adapters; }
};

class RecordingRouteTable : public platform::RouteTable {
public:
    std::vector<platform::Ipv4Route> added;
    platform::RouteBatchResult addRoutes(const std::vector<platform::Ipv4Route>& routes) override
    {
        added.insert(added.end(), routes.begin(), routes.end());
        return { routes.size(), 0 };
    }
};

std::uint32_t ip(const char* text)
{
    return inet_addr(text);
}

} // namespace

TEST(FindTunnelAdapter, Table)
{
    struct Case {
        const char* what;
        std::vector<NetworkAdapter> adapters;
        int index;
        const char* ip;
    };
    const Case cases[] = {
        { "nothing", {}, 0, "" },
        { "ppp with a 10. address", { { "ppp0", 7, kPpp, { "10.64.0.2" } } }, 7, "10.64.0.2" },
        { "the four prefixes",
            { { "a", 3, kPpp, { "172.16.0.1" } }, { "b", 4, kPpp, { "178.1.2.3" } },
                { "c", 5, kPpp, { "179.9.9.9" } } },
            5, "179.9.9.9" },
        { "last address of the last adapter wins",
            { { "ppp0", 3, kPpp, { "10.1.1.1", "172.20.0.1" } },
                { "ppp1", 9, kPpp, { "10.2.2.2", "192.168.1.1" } } },
            9, "10.2.2.2" },
        { "earlier match survives later misses",
            { { "ppp0", 3, kPpp, { "10.1.1.1" } }, { "ppp1", 9, kPpp, { "192.168.1.1" } },
                { "eth0", 2, kEther, { "10.0.0.5" } } },
            3, "10.1.1.1" },
        { "not PPP", { { "eth0", 2, kEther, { "10.0.0.5" } }, { "tun0", 4, 0xFFFE, { "10.9.0.1" } } }, 0,
            "" },
        { "outside the prefixes", { { "ppp0", 7, kPpp, { "192.168.0.2", "100.64.0.1", "11.0.0.1" } } }, 0,
            "" },
        { "prefix means the characters, not the number",
            { { "ppp0", 7, kPpp, { "1.10.0.1", "17.2.0.1", "172.0.0.1" } } }, 7, "172.0.0.1" },
        { "100. is no 10.", { { "ppp0", 7, kPpp, { "100.0.0.1", "10.0.0.1" } } }, 7, "10.0.0.1" },
    };
    for (const auto& c : cases) {
        const TunnelAdapter t = findTunnelAdapter(c.adapters);
        EXPECT_EQ(t.ifIndex, c.index) << c.what;
        EXPECT_EQ(t.ip, c.ip) << c.what;
    }
}

TEST(ParseRouteTable, Table)
{
    const std::uint32_t none = 0xFFFFFFFFu;
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> lines;
    };
    const Case cases[] = {
        { "empty file", "", {} },
        { "CR LF", "1.1.8.0 255.255.255.0\r\n1.2.4.0 255.255.254.0\r\n",
            { { ip("1.1.8.0"), ip("255.255.255.0") }, { ip("1.2.4.0"), ip("255.255.254.0") } } },
        { "LF, CR and no final break", "1.0.0.0 255.0.0.0\n2.0.0.0 255.0.0.0\r3.0.0.0 255.0.0.0",
            { { ip("1.0.0.0"), ip("255.0.0.0") }, { ip("2.0.0.0"), ip("255.0.0.0") },
                { ip("3.0.0.0"), ip("255.0.0.0") } } },
        { "several spaces", "58.14.0.0     255.254.0.0\r\n", { { ip("58.14.0.0"), ip("255.254.0.0") } } },
        { "tab only: skipped", "58.14.0.0\t255.254.0.0\r\n", {} },
        { "tab after the space is trimmed", "58.14.0.0 \t255.254.0.0\t \r\n",
            { { ip("58.14.0.0"), ip("255.254.0.0") } } },
        { "empty and spaceless lines", "\r\n\r\nnonsense\r\n1.2.3.0 255.255.255.0\r\n\r\n",
            { { ip("1.2.3.0"), ip("255.255.255.0") } } },
        { "bad text is all ones", "1.2.3.x 255.255.255.0\r\n1.2.3.0 mask\r\n",
            { { none, ip("255.255.255.0") }, { ip("1.2.3.0"), none } } },
        { "leading space: empty destination", " 1.2.3.0 255.255.255.0\r\n", { { none, ip("1.2.3.0") } } },
        { "control characters trimmed",
            "\x01"
            "1.2.3.0\x7f 255.255.255.0\x1a\r\n",
            { { ip("1.2.3.0"), ip("255.255.255.0") } } },
        { "short forms as inet_addr reads them", "10.1 255.255\r\n",
            { { ip("10.0.0.1"), ip("255.0.0.255") } } },
    };
    for (const auto& c : cases) {
        const auto parsed = parseRouteTable(c.text);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> got;
        for (const auto& l : parsed)
            got.emplace_back(l.destination, l.mask);
        EXPECT_EQ(got, c.lines) << c.what;
    }
}

TEST(ParseRouteTable, ReadsEveryAddressAsInetAddrDoes)
{
    const char* const texts[] = {
        "0.0.0.0",
        "1.2.3.4",
        "255.255.255.255",
        "223.255.252.0",
        "9.99.199.249",
        "256.1.1.1",
        "1.2.3.256",
        "01.2.3.4",
        "1.2.3.010",
        "0x7f.0.0.1",
        "1.2.3",
        "1.2",
        "16909060",
        "1.2.3.4.5",
        "1..3.4",
        "1.2.3.",
        ".1.2.3",
        "1.2.3.4x",
        "1.2.3.4 junk",
        "1.2.3.4\x80",
        "1234.1.1.1",
        "1.2.3.0000",
        "",
        "x",
        "4294967295",
        "1.2.3.4\t9",
        "000.0.0.0",
        "1.2.3.-4",
        "+1.2.3.4",
        "１.2.3.4",
    };
    for (const char* text : texts) {
        const auto lines = parseRouteTable(std::string("1.1.1.1 ") + text);
        ASSERT_EQ(lines.size(), 1u) << text;
        EXPECT_EQ(lines[0].mask, inet_addr(text)) << text;
    }
}

TEST(ParseRouteTable, RealTable)
{
    const std::string text = readBytes(std::string(ZAVTREL_TEST_DATA_DIR) + "/cn-routes.tab");
    const auto lines = parseRouteTable(text);
    ASSERT_EQ(lines.size(), 3364u);
    EXPECT_EQ(lines.front().destination, ip("1.1.8.0"));
    EXPECT_EQ(lines.front().mask, ip("255.255.255.0"));
    EXPECT_EQ(lines.back().destination, ip("223.255.252.0"));
    for (const auto& l : lines) {
        EXPECT_GE(platform::prefixLength(l.mask), 8);
        EXPECT_EQ(l.destination & ~l.mask, 0u);
    }
}

TEST(PrefixLength, OnlyContiguousMasks)
{
    const std::pair<const char*, int> cases[] = {
        { "0.0.0.0", 0 },
        { "128.0.0.0", 1 },
        { "255.0.0.0", 8 },
        { "255.255.254.0", 23 },
        { "255.255.255.255", 32 },
        { "255.0.255.0", -1 },
        { "0.255.255.255", -1 },
        { "255.255.255.1", -1 },
    };
    for (const auto& [mask, prefix] : cases)
        EXPECT_EQ(platform::prefixLength(ip(mask)), prefix) << mask;
}

class RouteInstallerTest : public ::testing::Test {
protected:
    TempDir dir;
    EventLog log { std::make_shared<FakeClock>(), dir.file("log.txt") };
    FakeAdapters adapters;
    RecordingRouteTable table;
    RouteInstaller installer { adapters, table };

    void withTunnel(const char* address = "10.64.0.2", int index = 7)
    {
        adapters.adapters = { { "lo", 1, 772, { "127.0.0.1" } }, { "ppp0", index, kPpp, { address } } };
    }
    std::string logText() const { return platform::gbkToUtf8(readBytes(dir.file("log.txt"))); }
};

TEST_F(RouteInstallerTest, OneDirectRoutePerLineThroughTheTunnel)
{
    withTunnel("172.16.5.9", 12);
    writeBytes(dir.file("RouteTabledx.tab"), "1.1.8.0 255.255.255.0\r\n\tjunk\r\n1.2.4.0  255.255.254.0\r\n");
    const auto result = installer.installRoutes(1, dir.path(), log);
    EXPECT_EQ(result.added, 2u);
    ASSERT_EQ(table.added.size(), 2u);
    EXPECT_EQ(table.added[0].destination, ip("1.1.8.0"));
    EXPECT_EQ(table.added[0].mask, ip("255.255.255.0"));
    EXPECT_EQ(table.added[1].destination, ip("1.2.4.0"));
    EXPECT_EQ(table.added[1].mask, ip("255.255.254.0"));
    for (const auto& r : table.added) {
        EXPECT_EQ(r.interfaceIndex, 12);
        EXPECT_EQ(r.nextHop, ip("172.16.5.9"));
        EXPECT_EQ(r.metric, 999u);
        EXPECT_TRUE(r.direct);
    }
    EXPECT_EQ(installer.tunnel().ifIndex, 12);
    EXPECT_EQ(installer.tunnel().ip, "172.16.5.9");
    EXPECT_FALSE(fileExists(dir.file("log.txt")));
}

TEST_F(RouteInstallerTest, TableFileByLineType)
{
    withTunnel();
    writeBytes(dir.file("RouteTabledx.tab"), "1.0.0.0 255.0.0.0\r\n");
    writeBytes(dir.file("RouteTablewt.tab"), "2.0.0.0 255.0.0.0\r\n");
    for (const auto& [lineType, dest] : { std::pair { 0, "1.0.0.0" }, { 1, "1.0.0.0" }, { 2, "2.0.0.0" },
             { 3, "1.0.0.0" }, { -1, "1.0.0.0" } }) {
        table.added.clear();
        installer.installRoutes(lineType, dir.path(), log);
        ASSERT_EQ(table.added.size(), 1u) << lineType;
        EXPECT_EQ(table.added[0].destination, ip(dest)) << lineType;
    }
}

TEST_F(RouteInstallerTest, NoTunnelLogsAndAddsNothing)
{
    // The table is not even looked at: a missing one does not throw here.
    installer.installRoutes(1, dir.path(), log);
    EXPECT_EQ(logText(), "[2026-03-05 07:08:09]添加路由失败:0:\r\n");

    // A tunnel found earlier does not linger once its address no longer fits.
    withTunnel();
    writeBytes(dir.file("RouteTabledx.tab"), "1.0.0.0 255.0.0.0\r\n");
    installer.installRoutes(1, dir.path(), log);
    ASSERT_EQ(table.added.size(), 1u);
    withTunnel("192.168.7.2");
    installer.installRoutes(1, dir.path(), log);
    EXPECT_EQ(table.added.size(), 1u);
    EXPECT_EQ(installer.tunnel().ifIndex, 0);
    EXPECT_EQ(installer.tunnel().ip, "");
    EXPECT_EQ(logText(), "[2026-03-05 07:08:09]添加路由失败:0:\r\n[2026-03-05 07:08:09]添加路由失败:0:\r\n");
}

TEST_F(RouteInstallerTest, EmptyTableAddsNothingAndLogsNothing)
{
    withTunnel();
    writeBytes(dir.file("RouteTablewt.tab"), "");
    const auto result = installer.installRoutes(2, dir.path(), log);
    EXPECT_EQ(result.added, 0u);
    EXPECT_TRUE(table.added.empty());
    EXPECT_FALSE(fileExists(dir.file("log.txt")));
}

TEST_F(RouteInstallerTest, UnreadableTableThrows)
{
    withTunnel();
    EXPECT_THROW(installer.installRoutes(1, dir.path(), log), RouteTableFileError);
    ASSERT_EQ(mkdir(dir.file("RouteTablewt.tab").c_str(), 0755), 0);
    try {
        installer.installRoutes(2, dir.path(), log);
        ADD_FAILURE() << "a directory is no table";
    } catch (const RouteTableFileError& e) {
        EXPECT_EQ(e.path(), dir.file("RouteTablewt.tab"));
    }
    EXPECT_TRUE(table.added.empty());
    EXPECT_FALSE(fileExists(dir.file("log.txt")));
}
