// The whole road through a real PPTP tunnel. Runs inside the guest, in the
// client's network namespace (tests/guest/road.sh): pptpd and the reference
// service are in the server namespace at 192.0.2.1, with the network
// 10.20.0.0/24 (routed by the table) and 10.30.0.0/24 (not) behind them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

#include "tests/gui/start_up.h"
#include "app/client_application.h"
#include "core/cipher/string_cipher.h"
#include "gui/main_window.h"
#include "platform/gbk_codec.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

class SilentBoxes : public MessageBoxes {
public:
    void information(const std::string&, const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

const std::string kService = "/run/svc"; // the service's data, written by road.sh and here

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

class GuestRoad : public ::testing::Test {
protected:
    TempDir appDir;
    AppServices services = makePlatformServices();
    std::unique_ptr<ClientApplication> client;

    GuestRoad()
    {
        services.messageBoxes = std::make_shared<SilentBoxes>();
        std::filesystem::current_path(appDir.path());
        // The catalogue: the server answers ICMP, the second node never does.
        const std::string nodes
            = "[head]\r\nnodecount=2\r\n[node1]\r\nlinetype=1\r\nright=1\r\nnodename=电信一号\r\nip="
            + cipher::encryptText("192.0.2.1")
            + "\r\n[node2]\r\nlinetype=2\r\nright=1\r\nnodename=网通一号\r\nip="
            + cipher::encryptText("192.0.2.77") + "\r\n";
        writeBytes(kService + "/content/Vip.ini", platform::utf8ToGbk(nodes));
        writeBytes(kService + "/content/RouteTabledx.ini", "10.20.0.0 255.255.255.0\r\n");
        // As an earlier run's fetch left them: auto-connect starts before
        // this run's fetch has brought them.
        writeBytes(appDir.file("Vip.ini"), platform::utf8ToGbk(nodes));
        writeBytes(appDir.file("RouteTabledx.tab"), "10.20.0.0 255.255.255.0\r\n");
        writeBytes(kService + "/accounts.ini",
            "[alice]\r\npassword=s3cret\r\nstate=1\r\ndays=30\r\nbalance=1.00\r\nfullrelay=1\r\n");
    }
    ~GuestRoad() override
    {
        const WorkerThreads workers = client ? client->workers() : WorkerThreads();
        client.reset();
        workers.waitIdle(std::chrono::seconds(10));
    }

    void saveLogin(bool fullRelay)
    {
        writeBytes(appDir.file("zvtad.INI"),
            "[Main]\r\nUser=" + cipher::encryptText("alice") + "\r\nPass=" + cipher::encryptText("s3cret")
                + "\r\nSaveInfo=1\r\nSavePwd=1\r\nSaveLogin=1\r\nAutoConn=1\r\nIsServer="
                + (fullRelay ? "1" : "0") + "\r\n");
    }
    void start()
    {
        ClientConfig c;
        c.paths = AppPaths::forAppDir(appDir.path(), *services.systemPaths);
        c.portalBase = "http://192.0.2.1:18080/";
        c.contentBase = c.portalBase + "content/";
        c.dialTool = env("ZV_BIN") + "/rasdial";
        client = std::make_unique<ClientApplication>(c, services);
        settleStartUp(client->mainWindow());
    }
    std::string text(const char* name)
    {
        if (auto* l = client->mainWindow().findChild<QLabel*>(name))
            return l->text().toStdString();
        if (auto* b = client->mainWindow().findChild<QAbstractButton*>(name))
            return b->text().toStdString();
        return {};
    }
    bool waitFor(const std::function<bool()>& done, int ms)
    {
        for (int waited = 0; waited < ms; waited += 50) {
            if (done())
                return true;
            QTest::qWait(50);
        }
        return done();
    }
    static std::string sh(const std::vector<std::string>& argv) { return runCommand(argv).output; }
    // Some of three echoes answered.
    static bool reaches(const std::string& address)
    {
        const CommandResult r = runCommand({ "ping", "-c", "3", "-i", "0.3", "-W", "2", address });
        std::printf("%s", r.output.c_str());
        return r.status == 0;
    }
    static bool pppdLeft()
    {
        for (const auto& e : std::filesystem::directory_iterator("/proc")) {
            const std::string comm = readBytes(e.path().string() + "/comm");
            if (comm == "pppd\n" || comm == "pptp\n")
                return true;
        }
        return false;
    }
    std::string log() { return platform::gbkToUtf8(readBytes(appDir.file("log.txt"))); }
};

} // namespace

TEST_F(GuestRoad, FromAutomaticLoginThroughARealTunnelToExit)
{
    saveLogin(false);
    const auto clicked = std::chrono::steady_clock::now();
    start();
    ASSERT_TRUE(waitFor([&] { return text("BConn") == "断开"; }, 60000)) << text("lblStatus") << "\n"
                                                                         << log();
    const auto ms
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - clicked);
    std::printf("start to \"已连接!\": %lld ms\n", static_cast<long long>(ms.count()));
    EXPECT_EQ(text("lblStatus"), "已连接!");
    EXPECT_EQ(text("LocalLineTypev"), "自动-电信一号") << "chosen by real ICMP";

    // The table's block goes through the tunnel, and only it.
    const std::string routes = sh({ "ip", "-4", "route", "show", "dev", "ppp0" });
    std::printf("routes through ppp0:\n%s", routes.c_str());
    EXPECT_NE(routes.find("10.20.0.0/24"), std::string::npos);
    EXPECT_NE(routes.find("metric 999"), std::string::npos);
    EXPECT_TRUE(reaches("10.20.0.1")) << "a routed address answers from behind the server";
    EXPECT_FALSE(reaches("10.30.0.1")) << "an address the table does not cover has no way there";

    // The counters come from the real interface.
    runCommand({ "ping", "-c", "20", "-i", "0.2", "-s", "1200", "-q", "10.20.0.1" });
    EXPECT_TRUE(waitFor([&] { return text("Lxmit") != "0" && text("LRecv") != "0"; }, 3000))
        << text("Lxmit") << " " << text("LRecv");

    // The server ends its side: the watchdog notices, and with LinkADisc
    // checked it dials again.
    ASSERT_TRUE(client->mainWindow().findChild<QCheckBox*>("LinkADisc")->isChecked());
    runCommand({ "ip", "netns", "exec", "srv", "pkill", "-x", "pppd" });
    EXPECT_TRUE(waitFor([&] { return log().find("连接中断!") != std::string::npos; }, 30000)) << log();
    EXPECT_TRUE(waitFor(
        [&] {
            return text("BConn") == "断开" && !sh({ "ip", "link", "show", "ppp0" }).empty();
        },
        60000))
        << text("lblStatus");
    EXPECT_EQ(text("lblStatus"), "已连接!");

    client->mainWindow().findChild<QAction*>("X1")->trigger();
    EXPECT_TRUE(waitFor([&] { return !pppdLeft(); }, 15000)) << "exit leaves no pppd";
}

TEST_F(GuestRoad, FullRelayPutsTheDefaultRouteThroughTheTunnel)
{
    saveLogin(true);
    start();
    ASSERT_TRUE(waitFor([&] { return text("BConn") == "断开"; }, 60000)) << text("lblStatus") << "\n"
                                                                         << log();
    EXPECT_TRUE(waitFor(
        [&] {
            return sh({ "ip", "-4", "route", "show", "default" }).find("ppp0") != std::string::npos;
        },
        5000))
        << sh({ "ip", "-4", "route" });
    EXPECT_EQ(sh({ "ip", "-4", "route", "show", "10.20.0.0/24" }).find("ppp0"), std::string::npos)
        << "no table route with full relay";
    EXPECT_TRUE(reaches("10.30.0.1")) << "everything goes through the tunnel";
    client->mainWindow().findChild<QAction*>("X1")->trigger();
    EXPECT_TRUE(waitFor([&] { return !pppdLeft(); }, 15000));
}

// Click on 连接 to "已连接!", PPTP (mode one) and L2TP (mode two), three dials
// each: the medians go to the output for the record.
TEST_F(GuestRoad, ClickToConnectedTimes)
{
    for (const int mode : { 1, 2 }) {
        writeBytes(appDir.file("zvtad.INI"),
            "[Main]\r\nUser=" + cipher::encryptText("alice") + "\r\nPass=" + cipher::encryptText("s3cret")
                + "\r\nSaveInfo=1\r\nSavePwd=1\r\nSaveLogin=1\r\nAutoConn=0\r\nMode=" + std::to_string(mode)
                + "\r\nLineType=1\r\nServerName=电信一号\r\nServer=" + cipher::encryptText("192.0.2.1")
                + "\r\n");
        start();
        ASSERT_TRUE(
            waitFor([&] { return text("BConn") == "连接" && client->session().accountState == 1; }, 20000));
        std::vector<long long> times;
        for (int run = 0; run < 3; ++run) {
            const auto clicked = std::chrono::steady_clock::now();
            client->mainWindow().findChild<QPushButton*>("BConn")->click();
            ASSERT_TRUE(waitFor([&] { return text("BConn") == "断开"; }, 60000)) << text("lblStatus") << "\n"
                                                                                 << log();
            times.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - clicked)
                                .count());
            client->mainWindow().findChild<QPushButton*>("BConn")->click();
            ASSERT_TRUE(waitFor([&] { return !pppdLeft(); }, 15000))
                << sh({ "ps", "-eo", "pid,ppid,stat,comm" }) << log();
        }
        std::sort(times.begin(), times.end());
        std::printf("click to \"已连接!\" over %s (%s): median %lld ms (%lld, %lld, %lld)\n",
            mode == 1 ? "PPTP" : "L2TP", client->session().entryName.c_str(), times[1], times[0], times[1],
            times[2]);
        client->mainWindow().findChild<QAction*>("X1")->trigger();
        const WorkerThreads workers = client->workers();
        client.reset();
        workers.waitIdle(std::chrono::seconds(10));
    }
}
