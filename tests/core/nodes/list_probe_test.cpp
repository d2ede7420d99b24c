#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <unistd.h>

#include "core/nodes/list_probe.h"
#include "platform/linux/socket_icmp_probe.h"
#include "tests/support/fake_icmp_probe.h"
#include "tests/support/latency_fixture.h"
#include "tests/support/node_list_writer.h"

using namespace std::chrono_literals;

namespace {

// Writes each change down as one line of text.
class RecordingSink : public ListProbeSink {
public:
    std::vector<std::string> events;
    void clearList() override { events.push_back("clear"); }
    void addRow(const ListProbeRow& r) override
    {
        events.push_back("add " + r.name + "|" + r.rating + "|" + r.delayText + "|" + r.address);
    }
    void selectRow(std::optional<int> row) override
    {
        events.push_back(row ? "select " + std::to_string(*row) : "select none");
    }
};

NodeListLoader fixedList(std::vector<TestNode> nodes)
{
    NodeList list;
    list.nodeCount = static_cast<int>(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        list.nodes.push_back(
            { static_cast<int>(i + 1), nodes[i].lineType, nodes[i].address, nodes[i].name, nodes[i].right });
    return [list] { return list; };
}

using Events = std::vector<std::string>;

} // namespace

TEST(ListProbe, Ratings)
{
    struct Case {
        int delay;
        const char* rating;
    };
    for (const Case& c : { Case { -1, "优" }, Case { 0, "优" }, Case { 100, "优" }, Case { 101, "良" },
             Case { 200, "良" }, Case { 201, "一般" }, Case { 300, "一般" }, Case { 399, "一般" },
             Case { 400, "未知" }, Case { 100000, "未知" } })
        EXPECT_EQ(ratingFor(c.delay), c.rating) << c.delay;
}

TEST(ListProbe, RowsAndPreselection)
{
    struct Case {
        const char* label;
        std::vector<TestNode> nodes;
        std::map<std::string, std::string> delays;
        Events expected;
    };
    const std::vector<Case> cases = {
        { "the first of the fastest; an empty address is 0 and never preselected",
            { { 2, "", "空", 1 }, { 2, "b", "B", 0 }, { 2, "c", "C", 1 }, { 1, "x", "X", 1 },
                { 2, "d", "D", 1 } },
            { { "b", "120" }, { "c", "80" }, { "d", "80" }, { "x", "1" } },
            { "clear", "add 空|优|0|", "add B|良|120|b", "add C|优|80|c", "add D|优|80|d", "select 2" } },
        { "all 0: the first row", { { 2, "a", "A", 1 }, { 2, "b", "B", 1 } }, { { "a", "0" }, { "b", "0" } },
            { "clear", "add A|优|0|a", "add B|优|0|b", "select 0" } },
        { "none below 400: the first row", { { 2, "a", "A", 1 }, { 2, "b", "B", 1 } },
            { { "a", "400" }, { "b", "401" } },
            { "clear", "add A|未知|400|a", "add B|未知|401|b", "select 0" } },
        { "a silent node is 300", { { 2, "a", "A", 1 } }, {}, { "clear", "add A|一般|300|a", "select 0" } },
        { "no node of the type", { { 1, "a", "A", 1 }, { 3, "b", "B", 1 } }, {}, { "clear", "select none" } },
    };
    for (const Case& c : cases) {
        FakeIcmpProbe probe;
        probe.delays = c.delays;
        RecordingSink sink;
        EXPECT_EQ(runListProbe(2, fixedList(c.nodes), probe, sink), ListProbeEnd::Completed) << c.label;
        EXPECT_EQ(sink.events, c.expected) << c.label;
        for (const std::string& address : probe.pinged)
            EXPECT_FALSE(address.empty()) << c.label;
    }
}

TEST(ListProbe, AnErrorKeepsTheRowsSoFar)
{
    FakeIcmpProbe probe;
    probe.delays = { { "a", "10" } };
    probe.throwAt = "b";
    RecordingSink sink;
    const auto nodes = fixedList({ { 1, "a", "A", 1 }, { 1, "b", "B", 1 }, { 1, "c", "C", 1 } });
    EXPECT_EQ(runListProbe(1, nodes, probe, sink), ListProbeEnd::Failed);
    EXPECT_EQ(sink.events, (Events { "clear", "add A|优|10|a" }));

    // A stop request is seen before the next node.
    std::stop_source stop;
    stop.request_stop();
    RecordingSink stopped;
    EXPECT_EQ(runListProbe(1, nodes, probe, stopped, stop.get_token()), ListProbeEnd::Stopped);
    EXPECT_EQ(stopped.events, (Events { "clear" }));
}

TEST(ListProbe, AgainstRealEchoes)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root for the network namespace";
    LatencyFixture fixture;
    const std::string quick = LatencyFixture::host(0), silent = LatencyFixture::host(1);
    fixture.setDelay(quick, 10ms);
    TempDir dir;
    writeNodeList(
        dir.file("Free.ini"), { { 3, silent, "死", 1 }, { 3, quick, "快", 0 }, { 3, "", "空", 1 } });
    LatencyFixture::Inside inside(fixture);
    platform::SocketIcmpProbe probe;
    RecordingSink sink;
    EXPECT_EQ(runListProbe(
                  3, [&] { return loadNodeList(dir.path(), "Free.INI"); }, probe, sink),
        ListProbeEnd::Completed);
    ASSERT_EQ(sink.events.size(), 5u);
    EXPECT_EQ(sink.events[1], "add 死|一般|300|" + silent);
    EXPECT_TRUE(sink.events[2].rfind("add 快|优|1", 0) == 0) << sink.events[2];
    EXPECT_EQ(sink.events[3], "add 空|优|0|");
    EXPECT_EQ(sink.events[4], "select 1");
    EXPECT_EQ(fixture.requests().size(), 2u);
}
