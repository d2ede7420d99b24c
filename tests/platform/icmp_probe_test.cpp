#include <gtest/gtest.h>

#include <algorithm>
#include <barrier>
#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>
#include <unistd.h>

#include "platform/linux/socket_icmp_probe.h"
#include "tests/support/latency_fixture.h"

using namespace std::chrono_literals;
using platform::SocketIcmpProbe;
using Transport = platform::SocketIcmpProbe::Transport;

namespace {

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Each case runs once with ICMP datagram sockets forbidden in the namespace
// (as on this machine) and once with them allowed.
struct ProbeCase {
    const char* label;
    bool datagramAllowed;
    Transport transport;
    bool usesDatagram; // which socket the probe should end up with
};

void PrintTo(const ProbeCase& c, std::ostream* os)
{
    *os << c.label;
}

class IcmpProbeTest : public ::testing::TestWithParam<ProbeCase> {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root for the network namespace";
        fixture.emplace();
        fixture->allowDatagramIcmp(GetParam().datagramAllowed);
    }
    std::optional<LatencyFixture> fixture;
};

} // namespace

TEST_P(IcmpProbeTest, DelaysAsText)
{
    const std::string fast = LatencyFixture::host(0), slow = LatencyFixture::host(1),
                      silent = LatencyFixture::host(2);
    fixture->setDelay(fast, 0us);
    fixture->setDelay(slow, 40ms);
    LatencyFixture::Inside inside(*fixture);
    SocketIcmpProbe probe(GetParam().transport);

    // A loaded machine may delay one reply past a millisecond, not three.
    int fastest = 300;
    for (int i = 0; i < 3; ++i)
        fastest = std::min(fastest, std::stoi(probe.ping(fast)));
    EXPECT_EQ(fastest, 0);
    const int d = std::stoi(probe.ping(slow));
    // Whole milliseconds, and a busy machine only ever adds.
    EXPECT_GE(d, 40);
    EXPECT_LE(d, 50);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(probe.ping(silent), "300");
    const double waited = msSince(start);
    EXPECT_GE(waited, 299.0);
    EXPECT_LT(waited, 400.0);

    // Exactly one request each, as the system's own echo sends it.
    const auto requests = fixture->requests();
    ASSERT_EQ(requests.size(), 5u);
    for (const auto& r : requests) {
        EXPECT_EQ(r.data, std::string("test") + std::string(28, '\0'));
        EXPECT_EQ(r.ttl, 64);
        EXPECT_EQ(r.tos, 0);
        EXPECT_FALSE(r.dontFragment);
    }
}

TEST_P(IcmpProbeTest, TextsThatSendNothingUseful)
{
    LatencyFixture::Inside inside(*fixture);
    SocketIcmpProbe probe(GetParam().transport);
    struct Case {
        std::string address;
        const char* expected;
    };
    // "" sends nothing; a text that is no address means 255.255.255.255, which
    // the kernel refuses; 192.0.2.1 has no route here.
    for (const Case& c : { Case { "", "" }, Case { "not an address", "300" }, Case { "10.200.0.1x", "300" },
             Case { std::string("10.200.0.1\0", 11), "300" }, Case { "192.0.2.1", "300" } }) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(probe.ping(c.address), c.expected) << c.address;
        EXPECT_LT(msSince(start), 150.0) << c.address;
    }
    EXPECT_TRUE(fixture->requests().empty());
}

TEST_P(IcmpProbeTest, ConcurrentProbesGetTheirOwnReplies)
{
    // Two probes share a host, so only identifier and sequence tell them apart.
    const std::string shared = LatencyFixture::host(10), quick = LatencyFixture::host(11),
                      silent = LatencyFixture::host(12);
    fixture->setDelay(shared, 60ms);
    fixture->setDelay(quick, 20ms);
    const std::vector<std::string> targets = { shared, shared, quick, silent };
    std::vector<std::string> results(targets.size());
    {
        LatencyFixture::Inside inside(*fixture);
        SocketIcmpProbe probe(GetParam().transport);
        std::barrier start(static_cast<std::ptrdiff_t>(targets.size()));
        std::vector<std::jthread> threads;
        for (size_t i = 0; i < targets.size(); ++i) {
            threads.emplace_back([&, i] {
                start.arrive_and_wait();
                results[i] = probe.ping(targets[i]);
            });
        }
    }
    for (size_t i : { 0u, 1u }) {
        EXPECT_GE(std::stoi(results[i]), 60) << i;
        EXPECT_LE(std::stoi(results[i]), 75) << i;
    }
    EXPECT_GE(std::stoi(results[2]), 20);
    EXPECT_LE(std::stoi(results[2]), 35);
    EXPECT_EQ(results[3], "300");
    const auto requests = fixture->requests();
    ASSERT_EQ(requests.size(), 4u);
    std::set<std::pair<int, int>> tags;
    std::set<int> identifiers;
    for (const auto& r : requests) {
        tags.insert({ r.identifier, r.sequence });
        identifiers.insert(r.identifier);
    }
    EXPECT_EQ(tags.size(), 4u);
    // The kernel gives each datagram socket an identifier of its own; raw
    // requests carry the process's one.
    EXPECT_EQ(identifiers.size(), GetParam().usesDatagram ? 4u : 1u);
}

TEST_P(IcmpProbeTest, LateReplyIsNotTakenForTheNextRequest)
{
    const std::string h = LatencyFixture::host(20);
    fixture->setDelay(h, 320ms);
    LatencyFixture::Inside inside(*fixture);
    SocketIcmpProbe probe(GetParam().transport);
    EXPECT_EQ(probe.ping(h), "300");
    // The answer to the first request comes about 20 ms into the second.
    fixture->setDelay(h, 40ms);
    const int d = std::stoi(probe.ping(h));
    EXPECT_GE(d, 40);
    EXPECT_LE(d, 50);
}

INSTANTIATE_TEST_SUITE_P(Transports, IcmpProbeTest,
    ::testing::Values(ProbeCase { "AutomaticFallsBackToRaw", false, Transport::Automatic, false },
        ProbeCase { "Raw", true, Transport::Raw, false },
        ProbeCase { "Datagram", true, Transport::Datagram, true },
        ProbeCase { "AutomaticPrefersDatagram", true, Transport::Automatic, true }),
    [](const auto& tp) { return std::string(tp.param.label); });

TEST(IcmpProbe, DatagramOnlyWhereForbiddenIsUnavailable)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root for the network namespace";
    LatencyFixture fixture;
    fixture.allowDatagramIcmp(false);
    LatencyFixture::Inside inside(fixture);
    SocketIcmpProbe probe(Transport::Datagram);
    EXPECT_THROW(probe.ping(LatencyFixture::host(0)), platform::IcmpUnavailable);
    // An empty address needs no socket.
    EXPECT_EQ(probe.ping(""), "");
}

TEST(IcmpProbe, ManyProbesInTurnLeaveNoSocketOpen)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root for the network namespace";
    LatencyFixture fixture;
    fixture.setDelay(LatencyFixture::host(0), 0us);
    const auto openFiles = [] {
        const std::filesystem::path fds("/proc/self/fd");
        return std::distance(std::filesystem::directory_iterator(fds), std::filesystem::directory_iterator());
    };
    LatencyFixture::Inside inside(fixture);
    platform::SocketIcmpProbe probe;
    const auto before = openFiles();
    // Replies, refusals and a missing route, each ending its own way.
    for (int i = 0; i < 100; ++i) {
        probe.ping(LatencyFixture::host(0));
        probe.ping("255.255.255.255");
        probe.ping("192.0.2.1");
    }
    EXPECT_EQ(openFiles(), before);
}
