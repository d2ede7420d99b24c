// The client goes away while its workers still run: nothing they do
// afterwards touches what went with it, and nothing is routed after exit.
#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <atomic>

#include "core/cipher/string_cipher.h"
#include "gui/nodes/node_chooser_dialog.h"
#include "tests/gui/main_window_fixture.h"

namespace {

class TeardownTest : public MainWindowTest {
protected:
    std::atomic<bool> release { false };
    std::atomic<bool> dialing { false };

    void SetUp() override
    {
        route = [](const std::string& target) {
            if (target.rfind("/Exelogin.aspx", 0) == 0)
                return RecordingHttpServer::Reply { 200, "ok!|10.0.0.5|1.00|30|1|2.9|0|1||0|t||480|320|0|",
                    {} };
            return RecordingHttpServer::Reply { 404, "", {} };
        };
        // A PPP adapter and a table, so that a dial would have routes to add.
        adapters->adapters = { { "ppp0", 4, platform::NetworkAdapter::kLinkPpp, { "10.64.0.2" } } };
        writeBytes(appDir.file("RouteTabledx.tab"), "1.0.1.0 255.255.255.0\r\n");
        // The dial tool holds until released, then reports the tunnel up.
        capture->onRun = [this] {
            dialing = true;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            remoteAccess->replaceAll(5, "TUVEKP");
        };
    }
    void loginAndDial()
    {
        start();
        w<QLineEdit>("Username")->setText("demo");
        w<QLineEdit>("PassWord")->setText("pw");
        w<QAbstractButton>("BsLogin")->click();
        ASSERT_TRUE(w("Panel1")->isVisible());
        w<QPushButton>("BConn")->click();
        for (int i = 0; i < 500 && !dialing; ++i)
            QTest::qWait(2);
        ASSERT_TRUE(dialing);
    }
    // Destroys the client and lets its workers run to their end.
    void destroyAndFinish()
    {
        const WorkerThreads workers = client->workers();
        client.reset();
        release = true;
        ASSERT_TRUE(workers.waitIdle(std::chrono::seconds(10)));
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(TeardownTest, ApplicationGoneDuringADialRoutesNothing)
{
    loginAndDial();
    destroyAndFinish();
    EXPECT_TRUE(routes->routes.empty()) << "the full-relay question had nobody to answer it";
}

TEST_F(TeardownTest, ExitDuringADialStopsItAndTakesTheTunnelDown)
{
    loginAndDial();
    client->mainWindow().findChild<QAction*>("X1")->trigger();
    EXPECT_TRUE(programEnded);
    EXPECT_EQ(capture->stops, 1) << "the dial tool is asked to stop";
    release = true;
    ASSERT_TRUE(waitForWorkers());
    EXPECT_TRUE(routes->routes.empty());
    EXPECT_EQ(remoteAccess->hungUp, std::vector<platform::ConnectionHandle> { 5 });
    EXPECT_EQ(text("BConn"), "连接") << "nothing of the late dial reaches the window";
    EXPECT_EQ(client->dialState().connectionHandle, 0u);
}

TEST_F(TeardownTest, ApplicationGoneDuringTheAutomaticTest)
{
    std::string ini = "[head]\r\nnodecount=6\r\n";
    for (int i = 1; i <= 6; ++i)
        ini += "[node" + std::to_string(i) + "]\r\nlinetype=" + std::to_string(1 + i % 2)
            + "\r\nip=" + cipher::encryptText("10.0.0." + std::to_string(i)) + "\r\nnodename=n"
            + std::to_string(i) + "\r\nright=1\r\n";
    writeBytes(appDir.file("Free.INI"), ini);
    icmp->sleepMs = 30;
    start();
    client->nodeChooser().show(); // the box is ticked: the automatic test starts
    QTest::qWait(40);
    ASSERT_GT(client->workers().running(), 0);
    destroyAndFinish();
    EXPECT_FALSE(icmp->probed.empty());
}

TEST_F(TeardownTest, ApplicationGoneDuringAFetch)
{
    std::atomic<int> downloads { 0 };
    route = [&downloads](const std::string& target) {
        if (target.rfind("/Exelogin.aspx", 0) == 0)
            return RecordingHttpServer::Reply { 200, "ok!|10.0.0.5|1.00|30|1|2.9|0|1||0|t||480|320|0|", {} };
        if (target.rfind("/content/", 0) == 0) {
            ++downloads;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (target == "/content/zvtBt.ini")
                return RecordingHttpServer::Reply { 200,
                    "[mainmemu]\r\ncount=1\r\n[submenu1]\r\nCaption=x\r\n", {} };
        }
        return RecordingHttpServer::Reply { 404, "", {} };
    };
    start();
    w<QLineEdit>("Username")->setText("demo");
    w<QLineEdit>("PassWord")->setText("pw");
    w<QAbstractButton>("BsLogin")->click();
    for (int i = 0; i < 500 && downloads == 0; ++i)
        QTest::qWait(2);
    ASSERT_GT(downloads, 0);
    destroyAndFinish();
    EXPECT_EQ(downloads, 5) << "the run went on with its downloads and ended at its first hand-over";
}
