// Every way out of the program, run as a user would: with the window shown,
// with and without a notification area, keys and menus from outside.
#include <csignal>
#include <filesystem>
#include <thread>

#include "platform/gbk_codec.h"
#include "tests/program/program_fixture.h"

using namespace std::chrono_literals;

namespace {

class EndPathTest : public ProgramTest, public ::testing::WithParamInterface<bool> {
protected:
    bool tray() const { return GetParam(); }
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (!IsSkipped())
            startX(tray());
    }
};

std::string paramName(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "WithNotificationArea" : "WithoutNotificationArea";
}

} // namespace

TEST_P(EndPathTest, ExitFromTheMenuEndsTheProgramAndItStartsAgain)
{
    const std::string window = startClient();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(std::filesystem::exists(temp.file("TUVEKP.sys")));
    openMenu(window, tray());
    x->key("x");
    ASSERT_TRUE(ends(5s)) << "退出(&X) ends the program with its window shown";
    EXPECT_EQ(client->waitExit(0ms), 0);
    EXPECT_FALSE(std::filesystem::exists(temp.file("TUVEKP.sys")));
    EXPECT_FALSE(startClient().empty()) << "the next start is not turned away by a stale lock";
}

TEST_P(EndPathTest, LoginRepliesThatEndTheProgram)
{
    // Update.exe leaves a mark, so that its start shows.
    writeBytes(appDir.file("Update.exe"), "#!/bin/sh\ntouch \"$0.started\"\n");
    std::filesystem::permissions(appDir.file("Update.exe"), std::filesystem::perms::owner_all);
    struct Case {
        const char* what;
        std::string reply;
        bool box; // a message box to be closed first
    };
    for (const Case& c : { Case { "updater", loginReply("1", "3.0"), false },
             Case { "stopped", "stop", true }, Case { "illegal user", loginReply("7"), true } }) {
        SCOPED_TRACE(c.what);
        route = [&c](const std::string& target) {
            if (target.rfind("/Exelogin.aspx", 0) == 0)
                return RecordingHttpServer::Reply { 200, c.reply, {} };
            return RecordingHttpServer::Reply { 404, "", {} };
        };
        // Logged in from the shown window, as a user does.
        ASSERT_FALSE(startClient().empty());
        logIn("demo", "pw");
        if (c.box) {
            ASSERT_FALSE(x->waitForWindow(client->pid(), "^Zavtrel$", 10s).empty());
            x->key("Return");
        }
        EXPECT_TRUE(ends(8s)) << "the program ends after the reply";
    }
    EXPECT_TRUE(std::filesystem::exists(appDir.file("Update.exe.started")));
}

TEST_P(EndPathTest, SignalsEndTheProgram)
{
    for (int sig : { SIGTERM, SIGINT, SIGHUP }) {
        SCOPED_TRACE(sig);
        ASSERT_FALSE(startClient().empty());
        ASSERT_TRUE(std::filesystem::exists(temp.file("TUVEKP.sys")));
        client->signal(sig);
        ASSERT_TRUE(ends(8s));
        EXPECT_EQ(client->waitExit(0ms), 0) << "ended by the program, not by the signal";
        EXPECT_FALSE(std::filesystem::exists(temp.file("TUVEKP.sys")));
    }
}

INSTANTIATE_TEST_SUITE_P(Program, EndPathTest, ::testing::Bool(), paramName);

TEST_F(ProgramTest, TheCloseButtonHidesIntoTheNotificationAreaAndOtherwiseExits)
{
    startX(true);
    std::string window = startClient();
    ASSERT_FALSE(window.empty());
    x->closeWindow(window);
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(client->running());
    EXPECT_TRUE(x->windows(client->pid(), "V2.9").empty()) << "hidden into the notification area";
    client->signal(SIGTERM);
    ASSERT_TRUE(ends(8s));

    startX(false);
    window = startClient();
    ASSERT_FALSE(window.empty());
    x->closeWindow(window);
    ASSERT_TRUE(ends(5s)) << "without a notification area closing is the exit";
    EXPECT_FALSE(std::filesystem::exists(temp.file("TUVEKP.sys")));
}

TEST_F(ProgramTest, ASignalWhileConnectedLeavesNoTunnelBehind)
{
    useSimulatedDials();
    route = [](const std::string& target) {
        if (target.rfind("/Exelogin.aspx", 0) == 0)
            return RecordingHttpServer::Reply { 200, loginReply("1"), {} };
        return RecordingHttpServer::Reply { 404, "", {} };
    };
    saveLogin("demo", "pw", true);
    startX(true);
    ASSERT_FALSE(startClient().empty());
    const auto linkUp = [] {
        for (const auto& e : std::filesystem::directory_iterator("/sys/class/net"))
            if (e.path().filename().string().rfind("ppp", 0) == 0)
                return true;
        return false;
    };
    for (int i = 0; i < 150 && !linkUp(); ++i)
        std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(linkUp()) << "the simulated tunnel is up";
    client->signal(SIGTERM);
    ASSERT_TRUE(ends(10s));
    for (int i = 0; i < 50 && linkUp(); ++i)
        std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(linkUp()) << "the link goes with the program";
    bool records = false;
    for (const auto& e : std::filesystem::directory_iterator(registryDir()))
        records = records || e.path().filename().string().rfind("conn-", 0) == 0;
    EXPECT_FALSE(records) << "no registry record is left";
    EXPECT_FALSE(std::filesystem::exists(temp.file("TUVEKP.sys")));
    EXPECT_EQ(serviceChildren(), 0) << "no link holder is left";
}

TEST_F(ProgramTest, OneEnterIsOneLogin)
{
    route = [](const std::string& target) {
        if (target.rfind("/Exelogin.aspx", 0) == 0)
            return RecordingHttpServer::Reply { 200, loginReply("0"), {} };
        if (target.rfind("//GetLogin.aspx", 0) == 0)
            return RecordingHttpServer::Reply { 200, "30~0|OK NOMSG", {} };
        return RecordingHttpServer::Reply { 404, "", {} };
    };
    startX(true);
    ASSERT_FALSE(startClient().empty());
    logIn("free", "pw");
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(requestsTo("/Exelogin.aspx"), 1);
    EXPECT_EQ(requestsTo("//GetLogin.aspx"), 0) << "no connect without auto-connect";
}
