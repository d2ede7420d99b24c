#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include "core/cipher/string_cipher.h"
#include "tests/e2e/road_fixture.h"

TEST_F(RoadTest, VipAccountFromAutomaticLoginToExit)
{
    // The first link drops two seconds after it came up.
    setScenario("[scenario]\r\nresult=success\r\ndropAfterMs=2000\r\n");
    writeSettings("[Main]\r\nUser=" + cipher::encryptText("demo") + "\r\nPass="
        + cipher::encryptText("demo123") + "\r\nSaveInfo=1\r\nSavePwd=1\r\nSaveLogin=1\r\nAutoConn=1\r\n");
    MainWindow& mw = startClient();

    // Automatic login, automatic connect, automatic node choice over ICMP.
    ASSERT_TRUE(w("Panel1")->isVisible()) << text("Loginstatelb");
    EXPECT_EQ(text("LocalLineTypev"), "自动-电信二号") << "the first of the two answering nodes";
    EXPECT_EQ(text("ShowLine"), "本地网通线路");
    EXPECT_EQ(client->nodeChoice().serverIp(), "10.200.1.2");
    ASSERT_TRUE(waitFor([&] { return text("BConn") == "断开"; }, 5000)) << text("lblStatus");
    EXPECT_EQ(text("lblStatus"), "已连接!");
    EXPECT_TRUE(mw.isMinimized() || !mw.isVisible());
    const std::string device = tunnelDevice();
    ASSERT_FALSE(device.empty());
    const auto routes = routesVia(device);
    ASSERT_EQ(routes.size(), 3u);
    const char* prefixes[] = { "1.0.1.0/24 ", "1.0.2.0/23 ", "36.96.0.0/11 " };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(routes[i].rfind(prefixes[i], 0), 0u) << routes[i];
        EXPECT_NE(routes[i].find("scope link"), std::string::npos) << routes[i];
        EXPECT_NE(routes[i].find("metric 999"), std::string::npos) << routes[i];
    }
    EXPECT_NE(log().find("连接成功!"), std::string::npos);
    EXPECT_EQ(processesShowing("demo123"), std::vector<std::string> {}) << "no password on a command line";

    // The link drops; the watchdog notices and redials, and this time it holds.
    setScenario("[scenario]\r\nresult=success\r\n");
    ASSERT_TRUE(waitFor([&] { return log().find("连接中断!") != std::string::npos; }, 9000));
    ASSERT_TRUE(waitFor([&] { return text("BConn") == "断开"; }, 5000)) << text("lblStatus");
    EXPECT_EQ(text("lblStatus"), "已连接!");

    // Counters move, then a disconnect resets them.
    ASSERT_TRUE(waitFor([&] { return text("Linktimev") != "00:00:00"; }, 3000));
    w<QPushButton>("BConn")->click();
    EXPECT_EQ(text("BConn"), "连接");
    EXPECT_EQ(text("lblStatus"), "未连接...");
    EXPECT_EQ(text("Lxmit"), "0");
    EXPECT_EQ(text("Linktimev"), "00:00:00");
    EXPECT_EQ(client->dialState().connectionHandle, 0u);
    EXPECT_TRUE(waitFor([&] { return tunnelDevice().empty(); }, 5000)) << "hang-up removes the tunnel";

    // Exit removes the phonebook files.
    const std::string phonebook = client->session().phonebookPath;
    EXPECT_TRUE(fileExists(phonebook));
    client->mainWindow().findChild<QAction*>("X1")->trigger();
    EXPECT_FALSE(fileExists(phonebook));
    EXPECT_EQ(processesShowing("demo123"), std::vector<std::string> {});
}

TEST_F(RoadTest, FreeAccountPolicyNoticeAndTimeLimit)
{
    MainWindow& mw = startClient();
    w<QLineEdit>("Username")->setText("free");
    w<QLineEdit>("PassWord")->setText("free123");
    w<QAbstractButton>("BsLogin")->click();
    ASSERT_TRUE(w("Panel1")->isVisible()) << text("Loginstatelb");
    EXPECT_FALSE(w<QCheckBox>("LinkADisc")->isChecked());

    w<QPushButton>("BConn")->click();
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_NE(boxes->shown[0].text.find("每00分钟自动断线一次"), std::string::npos);
    ASSERT_TRUE(waitFor([&] { return text("BConn") == "断开"; }, 5000)) << text("lblStatus");
    // The limit "00" is reached at the first tick of the counters.
    EXPECT_TRUE(waitFor([&] { return text("BConn") == "连接"; }, 4000));
    EXPECT_EQ(text("lblStatus"), "未连接...");
    EXPECT_NE(log().find("连接断开!"), std::string::npos);
    (void)mw;
}

// Run by run_as_member.sh: the client as a normal user in the service's group.
TEST_F(RoadTest, AsAMemberOfTheGroupTheWholeRoadWorks)
{
    if (geteuid() == 0 || !RasdProcess::external())
        GTEST_SKIP() << "runs as an unprivileged user under run_as_member.sh";
    // A route table of 8,000 blocks.
    std::string table;
    for (int i = 0; i < 8000; ++i)
        table += std::to_string(11 + i / 256) + "." + std::to_string(i % 256) + ".0.0 255.255.0.0\r\n";
    writeBytes(appDir.file("RouteTabledx.tab"), table);
    setScenario("[scenario]\r\nresult=success\r\ndropAfterMs=6000\r\n");
    writeSettings("[Main]\r\nUser=" + cipher::encryptText("demo") + "\r\nPass="
        + cipher::encryptText("demo123") + "\r\nSaveInfo=1\r\nSavePwd=1\r\nSaveLogin=1\r\nAutoConn=1\r\n");
    startClient();

    // Login, the automatic choice over ICMP, the dial through the service.
    ASSERT_TRUE(w("Panel1")->isVisible()) << text("Loginstatelb");
    EXPECT_EQ(text("LocalLineTypev"), "自动-电信二号");
    ASSERT_TRUE(waitFor([&] { return text("BConn") == "断开"; }, 5000)) << text("lblStatus") << log();
    EXPECT_EQ(text("lblStatus"), "已连接!");
    const std::string device = tunnelDevice();
    ASSERT_FALSE(device.empty());
    EXPECT_EQ(runCapture({ ZAVTREL_RASDIAL }), "Connected to\nTUVEKP\nCommand completed successfully.\n")
        << "the service lists it to its owner";
    ASSERT_TRUE(waitFor([&] { return routesVia(device).size() == 8000; }, 3000)) << routesVia(device).size();

    // Counters of the real interface.
    runCapture({ "ping", "-c", "4", "-i", "0.2", "-s", "1400", "-W", "1", "11.0.0.1" });
    ASSERT_TRUE(waitFor([&] { return text("Lxmit") != "0" && text("Linktimev") != "00:00:00"; }, 3000))
        << text("Lxmit");

    // The link drops; the watchdog redials through the service.
    setScenario("[scenario]\r\nresult=success\r\n");
    ASSERT_TRUE(waitFor([&] { return log().find("连接中断!") != std::string::npos; }, 9000));
    ASSERT_TRUE(waitFor([&] { return text("BConn") == "断开"; }, 8000)) << text("lblStatus");
    EXPECT_EQ(text("lblStatus"), "已连接!");
    ASSERT_TRUE(waitFor([&] { return routesVia(tunnelDevice()).size() == 8000; }, 3000));

    // Disconnect: the service takes the tunnel and its routes away.
    w<QPushButton>("BConn")->click();
    EXPECT_EQ(text("lblStatus"), "未连接...");
    EXPECT_TRUE(waitFor([&] { return tunnelDevice().empty(); }, 5000));
    EXPECT_EQ(runCapture({ ZAVTREL_RASDIAL }), "No connections\nCommand completed successfully.\n");
}
