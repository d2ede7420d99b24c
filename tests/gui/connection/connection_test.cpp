#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include "core/cipher/string_cipher.h"
#include "gui/connection/connection_controller.h"
#include "tests/gui/main_window_fixture.h"
#include "gui/connection/dial_worker.h"

namespace {

std::string loginReply(const char* accountState, const char* fullRelay = "1")
{
    return std::string("ok!|10.0.0.5|1.00|30|") + accountState + "|2.9|0|" + fullRelay + "||0|t||480|320|0|";
}

// What the window shows of the connection, control by control.
struct View {
    std::string caption, status;
    bool bconn, setLine, setLinkMode, isServer, timer1, timer2, exitX1, c1, l1;
    std::string xmit, recv, time;
};

class ConnectionTest : public MainWindowTest {
protected:
    std::string account = loginReply("1");
    std::string policy = "30~0|OK";
    void SetUp() override
    {
        route = [this](const std::string& target) {
            if (target.rfind("//GetLogin.aspx", 0) == 0)
                return RecordingHttpServer::Reply { 200, policy, {} };
            if (target.rfind("/Exelogin.aspx", 0) == 0)
                return RecordingHttpServer::Reply { 200, account, {} };
            if (target == "/content/zvtad.ini")
                return RecordingHttpServer::Reply { 200, "[Qqurl]\r\nWebqqurl=http://contact/\r\n", {} };
            return RecordingHttpServer::Reply { 404, "", {} };
        };
        // Every dial brings up connection 5 of our entry.
        capture->onRun = [this] { remoteAccess->replaceAll(5, "TUVEKP"); };
    }
    void waitForDial()
    {
        for (int i = 0; i < 400 && client->workers().running() > 0; ++i)
            QTest::qWait(5);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    QAction* action(const char* name) { return client->mainWindow().findChild<QAction*>(name); }
    QTimer* timer(const char* name) { return client->mainWindow().findChild<QTimer*>(name); }
    View view()
    {
        return { text("BConn"), text("lblStatus"), w("BConn")->isEnabled(), w("SetLine")->isEnabled(),
            w("SetLinkMode")->isEnabled(), w("IsServer")->isEnabled(), timer("Timer1")->isActive(),
            timer("Timer2")->isActive(), action("ExitX1")->isEnabled(), action("C1")->isEnabled(),
            action("L1")->isEnabled(), text("Lxmit"), text("LRecv"), text("Linktimev") };
    }
    QColor statusColour() { return w<QLabel>("lblStatus")->palette().color(QPalette::WindowText); }
    void expectView(const View& e, const char* state)
    {
        SCOPED_TRACE(state);
        const View v = view();
        EXPECT_EQ(v.caption, e.caption);
        EXPECT_EQ(v.status, e.status);
        EXPECT_EQ(v.bconn, e.bconn);
        EXPECT_EQ(v.setLine, e.setLine);
        EXPECT_EQ(v.setLinkMode, e.setLinkMode);
        EXPECT_EQ(v.isServer, e.isServer);
        EXPECT_EQ(v.timer1, e.timer1);
        EXPECT_EQ(v.timer2, e.timer2);
        EXPECT_EQ(v.exitX1, e.exitX1);
        EXPECT_EQ(v.c1, e.c1);
        EXPECT_EQ(v.l1, e.l1);
        EXPECT_EQ(v.xmit, e.xmit);
        EXPECT_EQ(v.recv, e.recv);
        EXPECT_EQ(v.time, e.time);
    }
};

const View kIdle { "连接", "未连接...", true, true, true, true, false, false, true, false, true, "0", "0",
    "00:00:00" };
const View kConnected { "断开", "已连接!", true, false, false, false, true, true, false, true, false, "0",
    "0", "00:00:00" };

} // namespace

TEST_F(ConnectionTest, StateTableThroughConnectDropAndDisconnect)
{
    MainWindow& mw = logInFromPanel();
    expectView(kIdle, "idle");
    EXPECT_TRUE(fileExists(client->session().phonebookPath));

    // Hold the dial tool until the Connecting state has been looked at.
    std::atomic<bool> release { false };
    holdDials(release);
    w<QPushButton>("BConn")->click();
    expectView({ "连接", "连接中...", false, true, true, true, false, false, true, false, true, "0", "0",
                   "00:00:00" },
        "connecting");
    EXPECT_EQ(statusColour(), QColor(0, 128, 0));
    // A second connect from the tray during the dial starts a second worker.
    action("ExitX1")->trigger();
    release = true;
    waitForDial();
    EXPECT_EQ(capture->runs.size(), 2u);
    expectView(kConnected, "connected");
    EXPECT_EQ(statusColour(), QColor(0, 128, 0));
    EXPECT_TRUE(mw.isMinimized() || !mw.isVisible()) << "the window goes out of the way";
    EXPECT_EQ(client->dialState().connectionHandle, 5u);

    // Counters.
    remoteAccess->setStats(5, { 1263616, 2048, 3723000 });
    mw.connection().timer1Timer();
    EXPECT_EQ(text("Lxmit"), "1,234");
    EXPECT_EQ(text("LRecv"), "2");
    EXPECT_EQ(text("Linktimev"), "01:02:03");

    // The link drops; no redial for this account.
    w<QCheckBox>("LinkADisc")->setChecked(false);
    remoteAccess->setState(5, platform::RemoteAccess::kDisconnected);
    mw.connection().timer2Timer();
    const View lost { "连接", "连接中断!", true, true, false, false, false, false, true, false, false,
        "1,234", "2", "01:02:03" };
    expectView(lost, "link lost");
    EXPECT_EQ(statusColour(), QColor(255, 0, 0));
    EXPECT_EQ(remoteAccess->hungUp, std::vector<platform::ConnectionHandle> { 5 });

    // Connect again, then disconnect from the tray: back to Idle.
    w<QPushButton>("BConn")->click();
    waitForDial();
    expectView({ "断开", "已连接!", true, false, false, false, true, true, false, true, false, "1,234", "2",
                   "01:02:03" },
        "reconnected");
    action("C1")->trigger();
    expectView(kIdle, "disconnected");
    const std::string log = platform::gbkToUtf8(readBytes("log.txt"));
    EXPECT_NE(log.find("连接断开!"), std::string::npos);
}

TEST_F(ConnectionTest, TrayTipFollowsTheLink)
{
    MainWindow& mw = logInFromPanel();
    const auto tip = [&] { return mw.findChild<QSystemTrayIcon*>("TrayIcon")->toolTip().toStdString(); };
    EXPECT_EQ(tip(), "Zavtrel - 未连接");
    mw.connection().showChosenNode(QStringLiteral("电信一号"));

    std::atomic<bool> release { false };
    holdDials(release);
    w<QPushButton>("BConn")->click();
    EXPECT_EQ(tip(), "Zavtrel - 连接中...");
    release = true;
    waitForDial();
    EXPECT_EQ(tip(), "Zavtrel - 已连接\n节点：电信一号\n发送 0 KB，接收 0 KB");
    remoteAccess->setStats(5, { 1263616, 2048, 3723000 });
    mw.connection().timer1Timer();
    EXPECT_EQ(tip(), "Zavtrel - 已连接\n节点：电信一号\n发送 1,234 KB，接收 2 KB");

    // A drop with redial on: connecting again, then connected.
    ASSERT_TRUE(checked("LinkADisc"));
    remoteAccess->setState(5, platform::RemoteAccess::kDisconnected);
    mw.connection().timer2Timer();
    EXPECT_EQ(tip(), "Zavtrel - 连接中...");
    waitForDial();
    EXPECT_EQ(tip().rfind("Zavtrel - 已连接\n", 0), 0u) << tip();

    // A drop without redial stays a drop; the user's disconnect is no drop.
    w<QCheckBox>("LinkADisc")->setChecked(false);
    remoteAccess->setState(5, platform::RemoteAccess::kDisconnected);
    mw.connection().timer2Timer();
    EXPECT_EQ(tip(), "Zavtrel - 连接中断");
    w<QPushButton>("BConn")->click();
    waitForDial();
    action("C1")->trigger();
    EXPECT_EQ(tip(), "Zavtrel - 未连接");
}

TEST_F(ConnectionTest, FailedRedialKeepsWhatTheDropLeft)
{
    MainWindow& mw = logInFromPanel();
    w<QPushButton>("BConn")->click();
    waitForDial();
    ASSERT_EQ(text("BConn"), "断开");
    ASSERT_TRUE(checked("LinkADisc")) << "VIP accounts redial";

    // From now on every dial fails with an unknown error number.
    capture->onRun = [] {};
    capture->result.output = "Remote Access error 678 - no answer";
    remoteAccess->setState(5, platform::RemoteAccess::kDisconnected);
    mw.connection().timer2Timer(); // drop noticed → redial
    waitForDial();
    EXPECT_TRUE(timer("Timer2")->isActive());
    EXPECT_FALSE(w("BConn")->isEnabled()) << "the unknown error leaves it connecting";
    mw.connection().timer2Timer(); // no handle: the next tick counts as lost again and redials
    waitForDial();
    EXPECT_EQ(capture->runs.size(), 3u);
    EXPECT_FALSE(w("SetLinkMode")->isEnabled());
    EXPECT_FALSE(w("IsServer")->isEnabled());
    EXPECT_FALSE(action("L1")->isEnabled());
    EXPECT_TRUE(action("ExitX1")->isEnabled());
    EXPECT_FALSE(action("C1")->isEnabled());

    // Recognised errors show and log their texts; 691 offers the kick button.
    capture->result.output = "Remote Access error 691 and 720";
    action("ExitX1")->trigger(); // BConn itself is still disabled
    waitForDial();
    EXPECT_EQ(text("lblStatus"), "不能建立到服务器的连接。");
    EXPECT_TRUE(w("BConn")->isEnabled());
    EXPECT_TRUE(w("AutoT")->isVisibleTo(w("Mainpanel")));
    const std::string log = platform::gbkToUtf8(readBytes("log.txt"));
    EXPECT_NE(log.find("帐户上次未正常断开或密码错误！\r\n"), std::string::npos);
    EXPECT_NE(log.find("不能建立到服务器的连接。\r\n"), std::string::npos);
}

TEST_F(ConnectionTest, FreeAccountPolicyNoticeAndTimeLimit)
{
    account = loginReply("0", "0");
    policy = "05~0|OK";
    MainWindow& mw = logInFromPanel();
    w<QPushButton>("BConn")->click();
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].title, "Zavtrel加速器");
    EXPECT_EQ(boxes->shown[0].text,
        "尊敬的用户：您使用的是Zavtrel加速器，带宽限制50K，每05分钟自动断线一次。体验8M带宽极速感受请购买Zavt"
        "relVIP版！");
    waitForDial();
    ASSERT_EQ(text("BConn"), "断开");
    remoteAccess->setStats(5, { 0, 0, 4 * 60000 + 59000 });
    mw.connection().timer1Timer();
    EXPECT_EQ(text("BConn"), "断开");
    remoteAccess->setStats(5, { 0, 0, 5 * 60000 });
    mw.connection().timer1Timer();
    EXPECT_EQ(text("BConn"), "连接") << "05 minutes cut the connection";
    EXPECT_FALSE(w("IsServer")->isEnabled()) << "full relay not allowed for this account";

    // "NOMSG": no notice. A refusal: the text, the notice, no dial.
    policy = "30~0|OK NOMSG";
    w<QPushButton>("BConn")->click();
    EXPECT_EQ(boxes->shown.size(), 1u);
    waitForDial();
    action("C1")->trigger();
    policy = "30~12|NOMSG";
    const size_t runs = capture->runs.size();
    w<QPushButton>("BConn")->click();
    EXPECT_EQ(text("lblStatus"), "30分钟自动断线,12分钟后可以登陆!");
    EXPECT_EQ(boxes->shown.size(), 2u);
    EXPECT_TRUE(w("BConn")->isEnabled());
    EXPECT_EQ(capture->runs.size(), runs);
}

TEST_F(ConnectionTest, MissingPhonebookIsReported)
{
    logInFromPanel();
    std::filesystem::remove(client->session().phonebookPath);
    w<QPushButton>("BConn")->click();
    EXPECT_EQ(text("lblStatus"), "连接过程中出现错误!");
    EXPECT_TRUE(w("BConn")->isEnabled());
    EXPECT_TRUE(capture->runs.empty());
    const std::string log = platform::gbkToUtf8(readBytes("log.txt"));
    EXPECT_NE(log.find("拨号文件" + client->session().phonebookPath + "不存在!"), std::string::npos);
}

TEST_F(ConnectionTest, ExitWhileConnectedHangsUpAndCleansUp)
{
    logInFromPanel();
    w<QPushButton>("BConn")->click();
    waitForDial();
    ASSERT_EQ(client->dialState().connectionHandle, 5u);
    action("X1")->trigger();
    EXPECT_TRUE(programEnded);
    EXPECT_EQ(remoteAccess->hungUp, std::vector<platform::ConnectionHandle> { 5 });
    ASSERT_FALSE(launcher->started.empty());
    EXPECT_EQ(launcher->started.back(), (std::vector<std::string> { "rasdial", "TUVEKP", "/disconnect" }));
    for (const char* f : { "TUVEKP.sys", "TUVEKL.sys", "TUVEKX.sys" })
        EXPECT_FALSE(fileExists(systemTemp.file(f))) << f;
}

TEST_F(ConnectionTest, SwitchUserKeepsTheConnectionAndTheContactAddress)
{
    logInFromPanel();
    // The configuration fetch after the login brings the contact address.
    for (int i = 0; i < 300 && client->mainWindow().settings().webQqUrl().empty(); ++i)
        QTest::qWait(10);
    w<QPushButton>("BConn")->click();
    waitForDial();
    w<QPushButton>("BConn")->setText("断开");
    // L1 is disabled while connected, but the command itself keeps the link.
    action("L1")->setEnabled(true);
    action("L1")->trigger();
    EXPECT_TRUE(w("LoginPanel")->isVisible());
    EXPECT_FALSE(w("Panel1")->isVisible());
    EXPECT_TRUE(w("Username")->isEnabled());
    EXPECT_EQ(text("Username"), "demo");
    EXPECT_TRUE(remoteAccess->hungUp.empty());
    EXPECT_EQ(client->dialState().connectionHandle, 5u);
    const Settings& s = client->mainWindow().settings();
    EXPECT_EQ(s.user(), "");
    EXPECT_FALSE(s.saveInfo());
    EXPECT_EQ(s.webQqUrl(), "http://contact/");
}

TEST_F(ConnectionTest, SessionEndDisconnectsALiveConnectionOnly)
{
    MainWindow& mw = logInFromPanel();
    mw.sessionEnding();
    EXPECT_EQ(text("BConn"), "连接");
    w<QPushButton>("BConn")->click();
    waitForDial();
    mw.sessionEnding();
    EXPECT_EQ(text("BConn"), "连接");
    EXPECT_EQ(remoteAccess->hungUp, std::vector<platform::ConnectionHandle> { 5 });
    EXPECT_EQ(client->dialState().connectionHandle, 0u);
}

TEST_F(ConnectionTest, WithoutAnyEchoTheChoiceStaysAutomaticAndIsTriedAgain)
{
    writeBytes(appDir.file("Vip.ini"),
        "[head]\r\nnodecount=1\r\n[node1]\r\nlinetype=2\r\nright=1\r\nnodename=N\r\nip="
            + cipher::encryptText("10.3.3.3") + "\r\n");
    logInFromPanel();
    icmp->unavailable = true;
    w<QPushButton>("BConn")->click();
    waitForDial();
    EXPECT_EQ(text("LocalLineTypev"), "自动");
    EXPECT_EQ(text("ShowLine"), "");
    EXPECT_EQ(client->nodeChoice().lineType(), 0);
    EXPECT_EQ(capture->runs.back().back(), "/PHONE:127.0.0.1") << "the dial goes on with the default node";

    w<QPushButton>("BConn")->click(); // disconnect
    icmp->unavailable = false;
    icmp->setDelay("10.3.3.3", "20");
    w<QPushButton>("BConn")->click();
    waitForDial();
    EXPECT_EQ(text("LocalLineTypev"), "自动-N");
    EXPECT_EQ(capture->runs.back().back(), "/PHONE:10.3.3.3");
}
