#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <net/if.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/connection_registry.h"
#include "platform/linux/registry_remote_access.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

using platform::ConnectionRecord;
using platform::ConnectionRegistry;
using platform::RegistryRemoteAccess;
using platform::RemoteAccess;

namespace {

// A record of a link that is up: this test process holds it, on the
// loopback interface, which every namespace has.
ConnectionRecord liveRecord(platform::ConnectionHandle handle, const std::string& entry)
{
    ConnectionRecord r;
    r.handle = handle;
    r.entryName = entry;
    r.state = ConnectionRecord::State::Connected;
    r.interfaceName = "lo";
    r.interfaceIndex = static_cast<int>(if_nametoindex("lo"));
    r.pid = getpid();
    r.pidStartTicks = ConnectionRegistry::processStartTicks(r.pid);
    r.startedMs = 1000;
    r.backend = "test";
    return r;
}

// A child that has ended: reaped when reap is set, else left a zombie.
pid_t endedChild(bool reap)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    if (reap) {
        waitpid(pid, nullptr, 0);
    } else {
        // Wait for it to turn into a zombie without reaping it.
        siginfo_t info {};
        waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
    }
    return pid;
}

} // namespace

TEST(ConnectionRegistry, RecordsRoundTripAndListInHandleOrder)
{
    TempDir dir;
    ConnectionRegistry registry(dir.path() + "ras");
    EXPECT_EQ(registry.list()->size(), 0u) << "a missing directory is an empty registry";
    const auto h1 = registry.allocateHandle();
    const auto h2 = registry.allocateHandle();
    ASSERT_TRUE(h1 && h2);
    EXPECT_NE(*h1, 0u);
    EXPECT_LT(*h1, *h2);

    ConnectionRecord r = liveRecord(*h2, "TUVEKL");
    r.ownsTun = true;
    ASSERT_TRUE(registry.write(r));
    ASSERT_TRUE(registry.write(liveRecord(*h1, "TUVEKP")));
    const auto back = registry.read(*h2);
    ASSERT_TRUE(back);
    EXPECT_EQ(ConnectionRegistry::serialize(*back), ConnectionRegistry::serialize(r));
    const auto all = registry.list();
    ASSERT_EQ(all->size(), 2u);
    EXPECT_EQ((*all)[0].entryName, "TUVEKP");
    EXPECT_EQ((*all)[1].entryName, "TUVEKL");

    // Handles never come back, so a handle a client still holds cannot name
    // a later connection.
    registry.remove(*h1);
    registry.remove(*h2);
    EXPECT_GT(*registry.allocateHandle(), *h2);
}

TEST(ConnectionRegistry, BrokenRecordFilesAreLeftOut)
{
    TempDir dir;
    ConnectionRegistry registry(dir.path());
    ASSERT_TRUE(registry.write(liveRecord(3, "TUVEKP")));
    writeBytes(dir.file("conn-4"), "handle=4\nstate=sleeping\n");
    writeBytes(dir.file("conn-5"), "garbage");
    writeBytes(dir.file("conn-6"), "handle=7\nstate=connected\n"); // names another handle
    writeBytes(dir.file("conn-x"), "handle=8\nstate=connected\n");
    const auto all = registry.list();
    ASSERT_EQ(all->size(), 1u);
    EXPECT_EQ((*all)[0].handle, 3u);
    EXPECT_FALSE(registry.read(6));
    EXPECT_FALSE(ConnectionRegistry::parse("handle=0\nstate=connected\n"));
}

TEST(ConnectionRegistry, LivenessFollowsTheHolderAndTheInterface)
{
    const ConnectionRecord live = liveRecord(1, "TUVEKP");
    struct Case {
        const char* what;
        ConnectionRecord record;
        bool live;
    };
    std::vector<Case> cases;
    cases.push_back({ "holder running, interface there", live, true });
    {
        ConnectionRecord r = live;
        r.pid = endedChild(true);
        r.pidStartTicks = 0;
        cases.push_back({ "holder ended", r, false });
    }
    {
        ConnectionRecord r = live;
        r.pid = endedChild(false);
        r.pidStartTicks = 0;
        cases.push_back({ "holder a zombie", r, false });
    }
    {
        ConnectionRecord r = live;
        r.pidStartTicks += 1;
        cases.push_back({ "pid now belongs to another process", r, false });
    }
    {
        ConnectionRecord r = live;
        r.interfaceName = "zvtgone0";
        cases.push_back({ "interface gone", r, false });
    }
    {
        ConnectionRecord r = live;
        r.interfaceIndex += 1000;
        cases.push_back({ "an interface of the same name came later", r, false });
    }
    {
        ConnectionRecord r = live;
        r.pid = 0;
        cases.push_back({ "no holder process, interface there", r, true });
    }
    {
        ConnectionRecord r = live;
        r.state = ConnectionRecord::State::Dialing;
        r.interfaceName.clear();
        cases.push_back({ "dialing", r, true });
    }
    {
        ConnectionRecord r = live;
        r.state = ConnectionRecord::State::Dialing;
        r.pid = endedChild(true);
        r.pidStartTicks = 0;
        cases.push_back({ "dialing tool gone", r, false });
    }
    for (const auto& c : cases)
        EXPECT_EQ(ConnectionRegistry::isLive(c.record), c.live) << c.what;
    while (waitpid(-1, nullptr, WNOHANG) > 0) { }
}

TEST(RegistryRemoteAccess, StatusOfHandles)
{
    TempDir dir;
    ConnectionRegistry registry(dir.path());
    auto clock = std::make_shared<FakeClock>();
    RegistryRemoteAccess ras(registry, clock);
    ConnectionRecord dropped = liveRecord(2, "TUVEKP");
    dropped.pid = endedChild(true);
    dropped.pidStartTicks = 0;
    ConnectionRecord dialing = liveRecord(3, "TUVEKL");
    dialing.state = ConnectionRecord::State::Dialing;
    ASSERT_TRUE(registry.write(liveRecord(1, "TUVEKP")));
    ASSERT_TRUE(registry.write(dropped));
    ASSERT_TRUE(registry.write(dialing));

    EXPECT_EQ(ras.connectionStatus(1), RemoteAccess::kConnected);
    EXPECT_EQ(ras.connectionStatus(2), RemoteAccess::kDisconnected);
    EXPECT_EQ(ras.connectionStatus(3), RegistryRemoteAccess::kDialing);
    EXPECT_EQ(ras.connectionStatus(0), std::nullopt);
    EXPECT_EQ(ras.connectionStatus(99), std::nullopt);
    EXPECT_EQ(ras.statistics(0), std::nullopt);
    EXPECT_EQ(ras.statistics(99), std::nullopt);
}

TEST(RegistryRemoteAccess, ListingHasRoomForTenConnections)
{
    TempDir dir;
    ConnectionRegistry registry(dir.path());
    auto clock = std::make_shared<FakeClock>();
    RegistryRemoteAccess ras(registry, clock);
    EXPECT_EQ(ras.listConnections()->size(), 0u);
    for (platform::ConnectionHandle h = 1; h <= 10; ++h)
        ASSERT_TRUE(registry.write(liveRecord(h, "E" + std::to_string(h))));
    const auto ten = ras.listConnections();
    ASSERT_TRUE(ten);
    ASSERT_EQ(ten->size(), 10u);
    EXPECT_EQ((*ten)[0].handle, 1u);
    EXPECT_EQ((*ten)[0].entryName, "E1");
    ASSERT_TRUE(registry.write(liveRecord(11, "E11")));
    EXPECT_EQ(ras.listConnections(), std::nullopt);
}

TEST(RegistryRemoteAccess, StatisticsFromTheInterfaceCountersCutTo32Bits)
{
    TempDir dir;
    ConnectionRegistry registry(dir.path() + "ras/");
    // A sysfs tree of its own, with counters past 4 GiB.
    const std::string stats = dir.path() + "net/lo/statistics/";
    std::filesystem::create_directories(stats);
    writeBytes(stats + "tx_bytes", "5000000000\n");
    writeBytes(stats + "rx_bytes", "1234\n");
    auto clock = std::make_shared<FakeClock>();
    clock->steadyMs = 1000 + 90061001; // 25 h 1 min 1 s 1 ms after the start
    RegistryRemoteAccess ras(registry, clock, dir.path() + "net");
    ASSERT_TRUE(registry.write(liveRecord(1, "TUVEKP")));

    const auto s = ras.statistics(1);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->bytesSent, static_cast<std::uint32_t>(5000000000ull));
    EXPECT_EQ(s->bytesReceived, 1234u);
    EXPECT_EQ(s->durationMs, 90061001u);

    writeBytes(stats + "rx_bytes", "not a number");
    EXPECT_EQ(ras.statistics(1), std::nullopt);
    ConnectionRecord dialing = liveRecord(2, "TUVEKL");
    dialing.state = ConnectionRecord::State::Dialing;
    ASSERT_TRUE(registry.write(dialing));
    EXPECT_EQ(ras.statistics(2), std::nullopt);
}

TEST(RegistryRemoteAccess, HangUpEndsTheHolderAndRemovesTheRecord)
{
    TempDir dir;
    ConnectionRegistry registry(dir.path());
    auto clock = std::make_shared<FakeClock>();
    RegistryRemoteAccess ras(registry, clock);
    const pid_t holder = fork();
    if (holder == 0) {
        for (int i = 0; i < 300; ++i)
            usleep(100000);
        _exit(0);
    }
    ConnectionRecord r = liveRecord(1, "TUVEKP");
    r.pid = holder;
    r.pidStartTicks = ConnectionRegistry::processStartTicks(holder);
    ASSERT_TRUE(registry.write(r));
    ASSERT_TRUE(registry.write(liveRecord(2, "OTHER")));
    ASSERT_EQ(ras.connectionStatus(1), RemoteAccess::kConnected);

    ras.hangUp(1);
    int status = 0;
    ASSERT_EQ(waitpid(holder, &status, 0), holder);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(ras.connectionStatus(1), std::nullopt);
    EXPECT_EQ(ras.connectionStatus(2), RemoteAccess::kConnected);
    ras.hangUp(1); // gone already: nothing happens
    ras.hangUp(0);
    EXPECT_EQ(ras.listConnections()->size(), 1u);
}
