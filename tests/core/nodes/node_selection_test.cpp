#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <unistd.h>

#include "core/nodes/node_selection.h"
#include "platform/linux/socket_icmp_probe.h"
#include "tests/support/fake_icmp_probe.h"
#include "tests/support/latency_fixture.h"
#include "tests/support/node_list_writer.h"

using namespace std::chrono_literals;

namespace {

constexpr const char* kDefaultServer = "127.0.0.9";

NodeListLoader fixedList(std::vector<TestNode> nodes, int nodeCount)
{
    NodeList list;
    list.nodeCount = nodeCount;
    for (size_t i = 0; i < nodes.size(); ++i)
        list.nodes.push_back(
            { static_cast<int>(i + 1), nodes[i].lineType, nodes[i].address, nodes[i].name, nodes[i].right });
    return [list] { return list; };
}

// Real ICMP to hosts inside the fixture's namespace, catalogue from a file.
class SelectionAgainstFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root for the network namespace";
        fixture.emplace();
        // The first echo in a fresh namespace is slower; keep it out of the ties.
        fixture->setDelay(LatencyFixture::host(249), 0us);
        LatencyFixture::Inside inside(*fixture);
        probe.ping(LatencyFixture::host(249));
        fixture->clearRequests();
    }
    AutoSelection select(const std::vector<TestNode>& nodes)
    {
        writeNodeList(dir.file("Vip.ini"), nodes);
        LatencyFixture::Inside inside(*fixture);
        return selectBestNode([this] { return loadNodeList(dir.path(), "Vip.ini"); }, probe, choice).value();
    }
    std::string host(int n, std::optional<LatencyFixture::Delay> delay)
    {
        const std::string h = LatencyFixture::host(n);
        if (delay)
            fixture->setDelay(h, *delay);
        return h;
    }

    TempDir dir;
    std::optional<LatencyFixture> fixture;
    platform::SocketIcmpProbe probe;
    NodeChoice choice { kDefaultServer };
};

} // namespace

TEST_F(SelectionAgainstFixture, LowerScoreWinsWhileTheFastestNodeIsDialled)
{
    // score1 = (40 + 50 + 60) div 5 = 30, score2 = 100 div 5 = 20.
    const auto result = select({ { 1, host(0, 40ms), "电信40", 1 }, { 1, host(1, 50ms), "电信50", 1 },
        { 1, host(2, 60ms), "电信60", 1 }, { 2, host(3, 100ms), "网通100", 1 } });
    EXPECT_EQ(result.lineType, 2);
    EXPECT_EQ(result.showLineText, "本地电信线路");
    EXPECT_EQ(result.caption, "自动-电信40");
    EXPECT_EQ(choice.get().serverIp, host(0, {}));
    EXPECT_EQ(choice.get().lineType, 2);
}

TEST_F(SelectionAgainstFixture, SilentNodesTieOnScoreAndPlace)
{
    // Two dead nodes read exactly "300", whatever the machine's load: equal
    // scores choose 1, and the node probed first (type 1, though listed
    // later) keeps the place. Nodes without right = 1 or of type 3 are never
    // probed, however fast.
    const auto result
        = select({ { 2, host(0, std::nullopt), "网通死", 1 }, { 1, host(1, std::nullopt), "电信死", 1 },
            { 1, host(2, 0us), "电信无权", 0 }, { 3, host(3, 0us), "其他", 1 } });
    EXPECT_EQ(result.lineType, 1);
    EXPECT_EQ(result.showLineText, "本地网通线路");
    EXPECT_EQ(choice.serverIp(), host(1, {}));
    EXPECT_EQ(result.caption, "自动-电信死");
    EXPECT_EQ(fixture->requestsTo(host(0, {})), 1);
    EXPECT_EQ(fixture->requestsTo(host(1, {})), 1);
    EXPECT_EQ(fixture->requestsTo(host(2, {})), 0);
    EXPECT_EQ(fixture->requestsTo(host(3, {})), 0);
}

TEST_F(SelectionAgainstFixture, NodeAnsweringAtOnceIsTaken)
{
    // Type 1 has no node and scores 0, so it wins whatever type 2 scores.
    const auto result = select({ { 2, host(0, 0us), "网通快", 1 } });
    EXPECT_EQ(choice.serverIp(), host(0, {}));
    EXPECT_EQ(result.caption, "自动-网通快");
    EXPECT_EQ(result.lineType, 1);
}

TEST_F(SelectionAgainstFixture, TypeTwoNodeFasterThanEveryTypeOne)
{
    // score1 = 30 div 4 = 7 beats score2 = (10 + 300) div 4 = 77, yet the
    // 10 ms type-2 node is the one to dial. The VIP name does not matter here.
    const auto result = select({ { 1, host(0, 30ms), "电信", 1 }, { 2, host(1, 10ms), "网通VIP", 1 },
        { 2, host(2, std::nullopt), "网通死", 1 } });
    EXPECT_EQ(result.lineType, 1);
    EXPECT_EQ(choice.serverIp(), host(1, {}));
    EXPECT_EQ(result.caption, "自动-网通VIP");
}

TEST_F(SelectionAgainstFixture, BrokenAddressesDoNotStopTheScan)
{
    // The first node's ip is not hex, the second's is missing; the scan goes on.
    writeBytes(dir.file("Vip.ini"),
        platform::utf8ToGbk(
            "[head]\r\nnodecount=3\r\n[node1]\r\nlinetype=1\r\nright=1\r\nip=ZZZZZZZZZZZZZZZZ\r\n"
            "[node2]\r\nlinetype=1\r\nright=1\r\nnodename=空\r\n"
            "[node3]\r\nlinetype=1\r\nright=1\r\nnodename=好\r\nip="
            + cipher::encryptText(host(5, 5ms)) + "\r\n"));
    LatencyFixture::Inside inside(*fixture);
    const auto result
        = selectBestNode([this] { return loadNodeList(dir.path(), "Vip.ini"); }, probe, choice).value();
    EXPECT_EQ(choice.serverIp(), host(5, {}));
    EXPECT_EQ(result.caption, "自动-好");
    EXPECT_EQ(fixture->requests().size(), 1u);
}

TEST_F(SelectionAgainstFixture, NoPermittedNode)
{
    for (const auto& nodes : { std::vector<TestNode> {},
             std::vector<TestNode> { { 1, host(0, 1ms), "无权", 0 }, { 3, host(1, 1ms), "其他", 1 } } }) {
        const auto result = select(nodes);
        EXPECT_EQ(result.lineType, 1);
        EXPECT_EQ(result.showLineText, "本地网通线路");
        EXPECT_EQ(result.caption, "自动-");
        EXPECT_EQ(choice.serverIp(), kDefaultServer);
    }
    // And no file at all.
    std::remove(dir.file("Vip.ini").c_str());
    LatencyFixture::Inside inside(*fixture);
    const auto result
        = selectBestNode([this] { return loadNodeList(dir.path(), "Vip.ini"); }, probe, choice).value();
    EXPECT_EQ(result.lineType, 1);
    EXPECT_EQ(result.caption, "自动-");
    EXPECT_EQ(choice.serverIp(), kDefaultServer);
    EXPECT_TRUE(fixture->requests().empty());
}

// The rules themselves, with scripted delays.
TEST(ProbeLineType, ScoresAndBestPlace)
{
    struct Case {
        const char* label;
        std::vector<TestNode> nodes;
        int nodeCount;
        std::map<std::string, std::string> delays;
        int expectedScore;
        int expectedBestNode;
        std::string expectedServer;
        std::string expectedCaption;
    };
    const std::vector<Case> cases = {
        // The divisor is nodecount + 1, not the number probed.
        { "divisor", { { 1, "a", "A", 1 }, { 2, "b", "B", 1 } }, 9, { { "a", "100" }, { "b", "5" } }, 10, 1,
            "a", "自动-A" },
        { "tie keeps the first", { { 1, "a", "A", 1 }, { 1, "b", "B", 1 } }, 2,
            { { "a", "50" }, { "b", "50" } }, 33, 1, "a", "自动-A" },
        { "every probe fails: the first stays", { { 1, "a", "A", 1 }, { 1, "b", "B", 1 } }, 2, {}, 200, 1,
            "a", "自动-A" },
        { "0 ms is taken", { { 1, "a", "A", 1 }, { 1, "b", "B", 1 } }, 2, { { "a", "7" }, { "b", "0" } }, 2,
            2, "b", "自动-B" },
        { "400 is not below 400", { { 1, "a", "A", 1 } }, 1, { { "a", "400" } }, 200, 0, kDefaultServer,
            "自动-" },
        { "empty address is skipped", { { 1, "", "E", 1 }, { 1, "b", "B", 1 } }, 2, { { "b", "9" } }, 3, 2,
            "b", "自动-B" },
        { "nodecount 0", { { 1, "a", "A", 1 } }, 0, {}, 0, 0, kDefaultServer, "自动-" },
        { "nodecount -1", { { 1, "a", "A", 1 } }, -1, {}, 0, 0, kDefaultServer, "自动-" },
    };
    for (const Case& c : cases) {
        FakeIcmpProbe probe;
        probe.delays = c.delays;
        NodeChoice choice { kDefaultServer };
        SelectionState state;
        EXPECT_EQ(probeLineType(1, state, fixedList(c.nodes, c.nodeCount), probe, choice), c.expectedScore)
            << c.label;
        EXPECT_EQ(state.bestNode, c.expectedBestNode) << c.label;
        EXPECT_EQ(choice.serverIp(), c.expectedServer) << c.label;
        EXPECT_EQ(state.caption, c.expectedCaption) << c.label;
    }
}

TEST(ProbeLineType, StateCarriesOverToTheSecondType)
{
    FakeIcmpProbe probe;
    probe.delays = { { "a", "20" }, { "b", "20" }, { "c", "19" } };
    NodeChoice choice { kDefaultServer };
    SelectionState state;
    const auto nodes = fixedList({ { 1, "a", "A", 1 }, { 2, "b", "B", 1 }, { 2, "c", "C", 1 } }, 3);
    probeLineType(1, state, nodes, probe, choice);
    probeLineType(2, state, nodes, probe, choice);
    EXPECT_EQ(state.bestDelay, 19);
    EXPECT_EQ(state.bestNode, 3);
    EXPECT_EQ(choice.serverIp(), "c");
    EXPECT_EQ(probe.pinged, (std::vector<std::string> { "a", "b", "c" }));
}

TEST(ProbeLineType, AnErrorEndsTheCallKeepingWhatWasStored)
{
    FakeIcmpProbe probe;
    probe.delays = { { "a", "30" } };
    probe.throwAt = "b";
    NodeChoice choice { kDefaultServer };
    SelectionState state;
    state.caption = "before";
    const auto nodes = fixedList({ { 1, "a", "A", 1 }, { 1, "b", "B", 1 }, { 1, "c", "C", 1 } }, 3);
    EXPECT_EQ(probeLineType(1, state, nodes, probe, choice), 0);
    EXPECT_EQ(state.bestNode, 1);
    EXPECT_EQ(choice.serverIp(), "a");
    EXPECT_EQ(state.caption, "before");
    EXPECT_EQ(probe.pinged, (std::vector<std::string> { "a", "b" }));

    // Text that is no number is an error too.
    probe.throwAt.clear();
    probe.delays = { { "a", "fast" } };
    EXPECT_EQ(probeLineType(1, state, nodes, probe, choice), 0);
}

TEST(SelectBestNode, ATypeEndedByAnErrorScoresZero)
{
    FakeIcmpProbe probe;
    probe.throwAt = "a";
    NodeChoice choice { kDefaultServer };
    const auto result
        = selectBestNode(fixedList({ { 1, "a", "A", 1 }, { 2, "b", "B", 1 } }, 2), probe, choice).value();
    // Type 1 fails at once with 0; type 2 scores 300 div 3 = 100 and loses.
    EXPECT_EQ(result.lineType, 1);
    EXPECT_EQ(choice.get().lineType, 1);
    EXPECT_EQ(choice.serverIp(), "b");
    EXPECT_EQ(result.caption, "自动-B");
}

TEST(SelectBestNode, NoEchoAtAllDropsTheWholeChoice)
{
    FakeIcmpProbe probe;
    probe.unavailable = true;
    NodeChoice choice { kDefaultServer };
    choice.setLineType(2);
    const auto nodes = fixedList({ { 1, "a", "A", 1 }, { 2, "b", "B", 1 } }, 2);
    EXPECT_FALSE(selectBestNode(nodes, probe, choice).has_value());
    EXPECT_EQ(choice.lineType(), 2);
    EXPECT_EQ(choice.serverIp(), kDefaultServer);
    SelectionState state;
    EXPECT_THROW(probeLineType(1, state, nodes, probe, choice), platform::IcmpUnavailable);
}
