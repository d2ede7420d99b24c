// The real dial tool with the service's simulate backend, run the way the
// client runs it, inside a network namespace of the test's own.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <future>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "base/ini_file.h"
#include "platform/clock.h"
#include "platform/linux/posix_process_capture.h"
#include "platform/linux/registry_remote_access.h"
#include "tests/support/namespace_scope.h"
#include "tests/support/rasd_process.h"
#include "tests/support/temp_dir.h"

using platform::ConnectionRegistry;
using platform::RemoteAccess;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kSuccess = "Command completed successfully.\n";

std::string interfaceAddress(const std::string& name)
{
    const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq ifr {};
    std::strncpy(ifr.ifr_name, name.c_str(), IFNAMSIZ - 1);
    std::string out;
    if (ioctl(sock, SIOCGIFADDR, &ifr) == 0)
        out = inet_ntoa(reinterpret_cast<sockaddr_in*>(&ifr.ifr_addr)->sin_addr);
    close(sock);
    return out;
}

void sendUdp(const std::string& to, int count, std::size_t bytes)
{
    const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in dst {};
    dst.sin_family = AF_INET;
    dst.sin_port = htons(9);
    inet_pton(AF_INET, to.c_str(), &dst.sin_addr);
    const std::string payload(bytes, 'z');
    for (int i = 0; i < count; ++i)
        sendto(sock, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&dst), sizeof dst);
    close(sock);
}

} // namespace

class RasdialSimulate : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = RasdProcess::unavailable(); !why.empty())
            GTEST_SKIP() << why;
        ns_ = std::make_unique<NamespaceScope>();
        ASSERT_TRUE(ns_->ok()) << ns_->error();
        rasd_ = std::make_unique<RasdProcess>();
        ASSERT_TRUE(rasd_->ok()) << rasd_->log();
        registry_ = std::make_unique<ConnectionRegistry>(rasd_->registry());
        setScenario("[scenario]\nresult=success\n");
        std::string phonebook;
        for (const char* entry : { "TUVEKP", "TUVEKL" })
            phonebook += std::string("[") + entry + "]\r\nVpnStrategy=2\r\nPhoneNumber=127.0.0.1\r\n\r\n";
        for (int i = 1; i <= 11; ++i)
            phonebook += "[E" + std::to_string(i) + "]\r\nVpnStrategy=2\r\n";
        phonebookPath_ = runtime_.file("TUVEKP.sys");
        writeBytes(phonebookPath_, phonebook);
        ras_ = std::make_unique<platform::RegistryRemoteAccess>(
            *registry_, std::make_shared<platform::SystemClock>(), ns_->classNet());
    }

    void TearDown() override
    {
        rasd_.reset(); // hangs up what is left
        ras_.reset();
        ns_.reset();
    }

    void setScenario(const std::string& text) { rasd_->useSimulate(text); }

    std::string run(std::vector<std::string> args)
    {
        args.insert(args.begin(), RASDIAL_PATH);
        const auto r = capture_.runAndCapture(args);
        EXPECT_EQ(r.failure, platform::CaptureResult::Failure::None);
        return r.output;
    }

    std::string dial(const std::string& entry)
    {
        return run({ entry, "user name", "pass word", "/PHONEBOOK:" + phonebookPath_, "/PHONE:127.0.0.1" });
    }

    // The handle of the only listed connection of an entry, 0 for none.
    platform::ConnectionHandle handleOf(const std::string& entry)
    {
        const auto list = ras_->listConnections();
        if (!list)
            return 0;
        for (const auto& c : *list)
            if (c.entryName == entry)
                return c.handle;
        return 0;
    }

    std::string interfaceOf(platform::ConnectionHandle h)
    {
        const auto r = registry_->read(h);
        return r ? r->interfaceName : "";
    }

    std::string sysfs(const std::string& relative) { return readBytes(ns_->classNet() + relative); }

    TempDir runtime_;
    std::unique_ptr<NamespaceScope> ns_;
    std::unique_ptr<RasdProcess> rasd_;
    std::unique_ptr<ConnectionRegistry> registry_;
    std::string phonebookPath_;
    platform::PosixProcessCapture capture_;
    std::unique_ptr<platform::RegistryRemoteAccess> ras_;
};

TEST_F(RasdialSimulate, SuccessLeavesAConnectedPppTunnel)
{
    EXPECT_EQ(dial("TUVEKP"), kSuccess);
    const auto list = ras_->listConnections();
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 1u);
    const auto h = (*list)[0].handle;
    EXPECT_NE(h, 0u);
    EXPECT_EQ((*list)[0].entryName, "TUVEKP");
    EXPECT_EQ(ras_->connectionStatus(h), RemoteAccess::kConnected);

    const std::string ifname = interfaceOf(h);
    ASSERT_FALSE(ifname.empty());
    EXPECT_EQ(sysfs(ifname + "/type"), "512\n");
    const std::string address = interfaceAddress(ifname);
    EXPECT_EQ(address.substr(0, 3), "10.") << address;

    // Traffic into the tunnel shows in the counters.
    const auto before = ras_->statistics(h);
    ASSERT_TRUE(before);
    EXPECT_LT(before->durationMs, 5000u);
    sendUdp("10.65." + address.substr(6), 5, 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto after = ras_->statistics(h);
    ASSERT_TRUE(after);
    EXPECT_GE(after->bytesSent - before->bytesSent, 5u * 128u); // IP + UDP headers each
    EXPECT_GE(after->durationMs, before->durationMs + 200);

    ras_->hangUp(h);
    EXPECT_EQ(if_nametoindex(ifname.c_str()), 0u) << "hang-up takes the interface away";
    EXPECT_EQ(ras_->connectionStatus(h), std::nullopt);
    EXPECT_EQ(ras_->listConnections()->size(), 0u);
}

TEST_F(RasdialSimulate, ErrorScenarioPrintsOneLinePerNumber)
{
    setScenario("[scenario]\nresult=error\nerrors=691 720\n");
    EXPECT_EQ(dial("TUVEKP"),
        "Remote Access error 691 - Access was denied because the username and/or password was invalid on "
        "the domain.\n"
        "Remote Access error 720 - A connection to the remote computer could not be established. You "
        "might need to change the network settings for this connection.\n");
    EXPECT_EQ(ras_->listConnections()->size(), 0u);
    EXPECT_EQ(if_nametoindex("ppp0"), 0u);
}

TEST_F(RasdialSimulate, MissingPhonebookOrEntry)
{
    EXPECT_EQ(run({ "TUVEKX", "u", "p", "/PHONEBOOK:" + phonebookPath_, "/PHONE:127.0.0.1" }),
        "Remote Access error 623 - The system could not find the phone book entry for this connection.\n");
    EXPECT_EQ(run({ "TUVEKP", "u", "p", "/PHONEBOOK:" + runtime_.file("none.sys"), "/PHONE:127.0.0.1" }),
        "Remote Access error 621 - The system could not open the phone book file.\n");
    EXPECT_EQ(ras_->listConnections()->size(), 0u);
}

TEST_F(RasdialSimulate, OutputOfTheScenarioReplacesTheSuccessLine)
{
    // Written through the INI layer, so the file holds GBK like every INI file.
    const IniFile scenario(rasd_->dir() + "scenario.ini");
    scenario.writeString("scenario", "result", "success");
    scenario.writeString("scenario", "output", "命令已完成。\\r\\n");
    EXPECT_EQ(dial("TUVEKP"), "命令已完成。\r\n");
    EXPECT_NE(handleOf("TUVEKP"), 0u);

    // Raw output: printed as it is, and no connection.
    scenario.writeString("scenario", "result", "raw");
    scenario.writeString("scenario", "output", "Remote Access error 678 - There was no answer.\\n");
    EXPECT_EQ(dial("TUVEKL"), "Remote Access error 678 - There was no answer.\n");
    EXPECT_EQ(handleOf("TUVEKL"), 0u);
}

TEST_F(RasdialSimulate, DialingAConnectedEntryAgainKeepsTheOneConnection)
{
    EXPECT_EQ(dial("TUVEKP"), kSuccess);
    EXPECT_EQ(dial("TUVEKP"), "You are already connected to TUVEKP.\n" + kSuccess);
    EXPECT_EQ(ras_->listConnections()->size(), 1u);
}

TEST_F(RasdialSimulate, DropTurnsTheStatusToDisconnected)
{
    setScenario("[scenario]\ndropAfterMs=1500\n");
    const auto dialed = Clock::now();
    EXPECT_EQ(dial("TUVEKP"), kSuccess);
    const auto h = handleOf("TUVEKP");
    ASSERT_NE(h, 0u);
    const std::string ifname = interfaceOf(h);
    EXPECT_EQ(ras_->connectionStatus(h), RemoteAccess::kConnected);

    std::optional<int> status;
    for (int i = 0; i < 100; ++i) {
        status = ras_->connectionStatus(h);
        if (status != RemoteAccess::kConnected)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const auto elapsed = Clock::now() - dialed;
    EXPECT_EQ(status, RemoteAccess::kDisconnected);
    EXPECT_GE(elapsed, std::chrono::milliseconds(1400));
    EXPECT_LT(elapsed, std::chrono::milliseconds(4000));
    EXPECT_EQ(if_nametoindex(ifname.c_str()), 0u);
    EXPECT_EQ(ras_->statistics(h), std::nullopt);
    // Still listed until hung up, as a dropped connection is.
    EXPECT_EQ(handleOf("TUVEKP"), h);
    ras_->hangUp(h);
    EXPECT_EQ(ras_->listConnections()->size(), 0u);

    // The next dial of the entry works as usual.
    setScenario("[scenario]\nresult=success\n");
    EXPECT_EQ(dial("TUVEKP"), kSuccess);
    EXPECT_EQ(ras_->connectionStatus(handleOf("TUVEKP")), RemoteAccess::kConnected);
}

TEST_F(RasdialSimulate, DisconnectHangsUpEveryConnectionOfTheEntry)
{
    ASSERT_EQ(dial("TUVEKP"), kSuccess);
    ASSERT_EQ(dial("TUVEKL"), kSuccess);
    const std::string pIf = interfaceOf(handleOf("TUVEKP"));
    const std::string lIf = interfaceOf(handleOf("TUVEKL"));
    EXPECT_EQ(run({ "tuvekp", "/disconnect" }), kSuccess);
    EXPECT_EQ(handleOf("TUVEKP"), 0u);
    EXPECT_NE(handleOf("TUVEKL"), 0u);
    EXPECT_EQ(if_nametoindex(pIf.c_str()), 0u);
    EXPECT_NE(if_nametoindex(lIf.c_str()), 0u);
    // An entry without connections: nothing to do, and still a success.
    EXPECT_EQ(run({ "TUVEKX", "/DISCONNECT" }), kSuccess);
    EXPECT_EQ(run({}), "Connected to\nTUVEKL\n" + kSuccess);
}

TEST_F(RasdialSimulate, MoreThanTenConnectionsMakeTheListingFail)
{
    for (int i = 1; i <= 11; ++i)
        ASSERT_EQ(dial("E" + std::to_string(i)), kSuccess) << i;
    EXPECT_EQ(ras_->listConnections(), std::nullopt);
    EXPECT_EQ(run({ "E11", "/d" }), kSuccess);
    const auto ten = ras_->listConnections();
    ASSERT_TRUE(ten);
    EXPECT_EQ(ten->size(), 10u);
    EXPECT_EQ(ras_->connectionStatus(0), std::nullopt);
    EXPECT_EQ(ras_->statistics(0), std::nullopt);
}

TEST_F(RasdialSimulate, ASecondDialOfAnEntryBeingDialedIsRefused)
{
    setScenario("[scenario]\ndelayMs=1500\n");
    auto first = std::async(std::launch::async, [&] { return dial("TUVEKP"); });
    // While it waits, the dial shows as a connection in progress.
    platform::ConnectionHandle h = 0;
    for (int i = 0; i < 200 && h == 0; ++i) {
        h = handleOf("TUVEKP");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(h, 0u);
    EXPECT_EQ(ras_->connectionStatus(h), platform::RegistryRemoteAccess::kDialing);

    // Another caller (not the capture that runs the first) is refused.
    platform::PosixProcessCapture other;
    EXPECT_EQ(
        other.runAndCapture({ RASDIAL_PATH, "TUVEKP", "u", "p", "/PHONEBOOK:" + phonebookPath_ }).output,
        "Remote Access error 756 - This connection is already being dialed.\n");
    ASSERT_EQ(first.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(first.get(), kSuccess);
    const auto list = ras_->listConnections();
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ((*list)[0].handle, h);
}

TEST_F(RasdialSimulate, ANewDialEndsADialStillWaitingForItsAnswer)
{
    // The client's capture ends the tool it ran before; the service then
    // stops that dial, and the new one does not wait for it.
    setScenario("[scenario]\ndelayMs=20000\n");
    auto first = std::async(std::launch::async, [&] { return dial("TUVEKP"); });
    // While it waits, the dial shows as a connection in progress.
    platform::ConnectionHandle h = 0;
    for (int i = 0; i < 200 && h == 0; ++i) {
        h = handleOf("TUVEKP");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(h, 0u);
    EXPECT_EQ(ras_->connectionStatus(h), platform::RegistryRemoteAccess::kDialing);

    setScenario("[scenario]\nresult=success\n");
    const auto start = Clock::now();
    EXPECT_EQ(dial("TUVEKP"), kSuccess);
    ASSERT_EQ(first.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(first.get(), "") << "the ended dial prints nothing";
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    const auto list = ras_->listConnections();
    ASSERT_EQ(list->size(), 1u) << "the ended dial took its record with it";
    EXPECT_NE((*list)[0].handle, h);
}
