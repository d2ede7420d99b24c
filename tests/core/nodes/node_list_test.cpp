#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "core/cipher/string_cipher.h"
#include "core/nodes/node_list.h"
#include "platform/gbk_codec.h"
#include "tests/support/node_list_writer.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kIp1 = cipher::encryptText("10.200.0.1"); // 32 digits
const std::string kIp2 = cipher::encryptText("1.2.3.4"); // 16 digits

struct Expected {
    int number;
    int lineType;
    std::string address;
    std::string name;
    int right;
};

void expectNodes(const NodeList& list, const std::vector<Expected>& expected, const std::string& label)
{
    ASSERT_EQ(list.nodes.size(), expected.size()) << label;
    for (size_t i = 0; i < expected.size(); ++i) {
        const NodeEntry& n = list.nodes[i];
        const Expected& e = expected[i];
        EXPECT_EQ(n.number, e.number) << label << " #" << i;
        EXPECT_EQ(n.lineType, e.lineType) << label << " #" << i;
        EXPECT_EQ(n.address, e.address) << label << " #" << i;
        EXPECT_EQ(n.name, e.name) << label << " #" << i;
        EXPECT_EQ(n.right, e.right) << label << " #" << i;
    }
}

} // namespace

TEST(NodeList, FileTable)
{
    const std::string twoNodes = "[node1]\r\nlinetype=1\r\nip=" + kIp1 + "\r\nnodename=电信一\r\nright=1\r\n"
        + "[node2]\r\nlinetype=2\r\nip=" + kIp2 + "\r\nnodename=网通VIP\r\nright=0\r\n";
    struct Case {
        const char* label;
        std::optional<std::string> file; // UTF-8 text, stored as GBK; none: no file
        int nodeCount;
        std::vector<Expected> nodes;
    };
    const std::vector<Case> cases = {
        { "no file", std::nullopt, 1, {} },
        { "nodecount missing", "[head]\r\n" + twoNodes, 1, { { 1, 1, "10.200.0.1", "电信一", 1 } } },
        { "nodecount 0", "[head]\r\nnodecount=0\r\n" + twoNodes, 0, {} },
        { "nodecount negative", "[head]\r\nnodecount=-2\r\n" + twoNodes, -2, {} },
        { "nodecount not a number", "[head]\r\nnodecount=many\r\n" + twoNodes, 1,
            { { 1, 1, "10.200.0.1", "电信一", 1 } } },
        { "nodecount in hex", "[head]\r\nnodecount=0x2\r\n" + twoNodes, 2,
            { { 1, 1, "10.200.0.1", "电信一", 1 }, { 2, 2, "1.2.3.4", "网通VIP", 0 } } },
        // node2 and node4 are missing: they would read as defaults, taking part
        // in nothing, and are left out.
        { "nodecount larger than the sections",
            "[head]\r\nnodecount=4\r\n[node1]\r\nlinetype=1\r\n[node3]\r\nlinetype=3\r\nnodename=其他\r\n", 4,
            { { 1, 1, "", "", 0 }, { 3, 3, "", "其他", 0 } } },
        { "integers as text",
            "[head]\r\nnodecount=3\r\n[node1]\r\nlinetype=0x2\r\nright=0X1\r\n[node2]\r\nlinetype="
            "two\r\nright=yes\r\n"
            "[node3]\r\nlinetype= 3 \r\nright=1\r\n",
            3, { { 1, 2, "", "", 1 }, { 2, 0, "", "", 0 }, { 3, 3, "", "", 1 } } },
        { "ip shorter than one block",
            "[head]\r\nnodecount=2\r\n[node1]\r\nip=" + kIp1.substr(0, 15) + "\r\n[node2]\r\nip=\r\n", 2,
            { { 1, 0, "", "", 0 }, { 2, 0, "", "", 0 } } },
        { "names and keys in any case",
            "[HEAD]\r\nNodeCount=1\r\n[Node1]\r\nLineType=2\r\nIP=" + kIp2 + "\r\n", 1,
            { { 1, 2, "1.2.3.4", "", 0 } } },
        { "sections out of order and a stray node0",
            "[node2]\r\nlinetype=2\r\n[node0]\r\nlinetype=1\r\n[node01]\r\nlinetype=1\r\n[head]\r\nnodecount="
            "2\r\n"
            "[node1]\r\nlinetype=1\r\n",
            2, { { 1, 1, "", "", 0 }, { 2, 2, "", "", 0 } } },
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.file)
            writeBytes(dir.file("Vip.ini"), platform::utf8ToGbk(*c.file));
        const NodeList list = loadNodeList(dir.path(), "Vip.ini");
        EXPECT_EQ(list.nodeCount, c.nodeCount) << c.label;
        expectNodes(list, c.nodes, c.label);
    }
}

TEST(NodeList, IpThatIsNotHexGivesSomeOtherAddress)
{
    TempDir dir;
    writeBytes(
        dir.file("Free.ini"), "[head]\r\nnodecount=1\r\n[node1]\r\nlinetype=1\r\nip=ZZZZZZZZZZZZZZZZ\r\n");
    const NodeList list = loadNodeList(dir.path(), "Free.ini");
    ASSERT_EQ(list.nodes.size(), 1u);
    // What the bytes decipher to is noise; the probe decides it fails.
    EXPECT_NE(list.nodes[0].address, "");
    EXPECT_EQ(list.nodes[0].lineType, 1);
}

TEST(NodeList, HugeNodeCountCostsOnlyTheSectionsPresent)
{
    TempDir dir;
    // A section numbered like the count itself must not make the reader walk
    // every number up to it.
    writeBytes(dir.file("Free.ini"),
        nodeListText({ { 1, "10.200.0.1", "a", 1 }, { 2, "10.200.0.2", "b", 1 } }, "2147483647")
            + "[node2147483647]\r\nlinetype=2\r\nnodename=last\r\n");
    const auto start = std::chrono::steady_clock::now();
    const NodeList list = loadNodeList(dir.path(), "Free.ini");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(list.nodeCount, 2147483647);
    ASSERT_EQ(list.nodes.size(), 3u);
    EXPECT_EQ(list.nameOf(2147483647), "last");
    EXPECT_EQ(list.nodes[1].address, "10.200.0.2");
    EXPECT_EQ(list.nameOf(2), "b");
    EXPECT_EQ(list.nameOf(0), "");
    EXPECT_EQ(list.nameOf(3), "");
}

TEST(NodeList, FileNameLetterCase)
{
    TempDir dir;
    writeNodeList(dir.file("Free.ini"), { { 1, "10.200.0.1", "lower", 1 } });
    // The name before any login finds the downloaded file.
    EXPECT_EQ(resolveNodeListPath(dir.path(), "Free.INI"), dir.file("Free.ini"));
    EXPECT_EQ(loadNodeList(dir.path(), "Free.INI").nameOf(1), "lower");
    // An exact match wins over another spelling.
    writeNodeList(dir.file("Free.INI"), { { 1, "10.200.0.1", "upper", 1 } });
    EXPECT_EQ(loadNodeList(dir.path(), "Free.INI").nameOf(1), "upper");
    EXPECT_EQ(loadNodeList(dir.path(), "Free.ini").nameOf(1), "lower");
    // Nothing alike: the exact path, which reads as empty.
    EXPECT_EQ(resolveNodeListPath(dir.path(), "Vip.ini"), dir.file("Vip.ini"));
    EXPECT_TRUE(loadNodeList(dir.path(), "Vip.ini").nodes.empty());
}

TEST(NodeList, VipNames)
{
    for (const char* name : { "vip", "VIP1", "电信vIp节点", "xxViPxx" })
        EXPECT_TRUE(isVipNodeName(name)) << name;
    for (const char* name : { "", "vi p", "V1P", "电信节点", "ｖｉｐ" })
        EXPECT_FALSE(isVipNodeName(name)) << name;
}

TEST(NodeList, ReferenceServiceLists)
{
    const std::string dir = std::string(ZAVTREL_SOURCE_DIR) + "/tools/service/data/content/";
    for (const char* file : { "Vip.ini", "Free.ini" }) {
        const NodeList list = loadNodeList(dir, file);
        ASSERT_EQ(list.nodes.size(), static_cast<size_t>(list.nodeCount)) << file;
        int vip = 0, manualOnly = 0;
        for (int type = 1; type <= 3; ++type) {
            EXPECT_TRUE(std::any_of(list.nodes.begin(), list.nodes.end(),
                [&](const NodeEntry& n) { return n.lineType == type && n.right == 1; }))
                << file << " type " << type;
        }
        for (const NodeEntry& n : list.nodes) {
            // Loopback only: the demo measures and dials them on this machine.
            EXPECT_EQ(n.address.rfind("127.0.0.", 0), 0u) << file << " " << n.address;
            vip += isVipNodeName(n.name);
            manualOnly += n.right != 1;
        }
        EXPECT_GE(vip, 1) << file;
        EXPECT_GE(manualOnly, 1) << file;
    }
}

TEST(NodeList, TenThousandNodesInOneRead)
{
    TempDir dir;
    std::vector<TestNode> nodes;
    for (int i = 1; i <= 10000; ++i)
        nodes.push_back(
            { 1 + i % 3, "10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256), "n", 1 });
    writeNodeList(dir.file("Free.ini"), nodes);
    const auto start = std::chrono::steady_clock::now();
    const NodeList list = loadNodeList(dir.path(), "Free.ini");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(list.nodes.size(), 10000u);
    EXPECT_EQ(list.nodes.back().address, "10.1.39.16");
}
