#include <QAction>
#include <QCheckBox>
#include <QPushButton>

#include "tests/e2e/road_fixture.h"

namespace {

class DialPathTest : public RoadTest {
protected:
    MainWindow& loggedInVip()
    {
        MainWindow& mw = startClient();
        w<QLineEdit>("Username")->setText("demo");
        w<QLineEdit>("PassWord")->setText("demo123");
        w<QAbstractButton>("BsLogin")->click();
        EXPECT_TRUE(w("Panel1")->isVisible()) << text("Loginstatelb");
        return mw;
    }
    bool connect()
    {
        w<QPushButton>("BConn")->click();
        return waitFor([&] { return text("BConn") == "断开"; }, 5000);
    }
};

} // namespace

TEST_F(DialPathTest, TunnelFoundBesideAnotherConnectionAndRouted)
{
    // Somebody else's connection, listed before ours.
    writeBytes(systemTemp.file("other.pbk"), "[OTHER]\r\nPhoneNumber=10.1.1.1\r\n");
    ASSERT_NE(runCapture({ ZAVTREL_RASDIAL, "OTHER", "u", "p", "/PHONEBOOK:" + systemTemp.file("other.pbk") })
                  .find("successfully"),
        std::string::npos);
    loggedInVip();
    ASSERT_TRUE(connect()) << text("lblStatus");
    const auto list = services.remoteAccess->listConnections();
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].entryName, "OTHER");
    EXPECT_EQ(client->dialState().connectionHandle, (*list)[1].handle);
    // The routes go through our tunnel, not the other one.
    std::string ours;
    for (const auto& a : services.adapters->list())
        if (a.index == registry().read((*list)[1].handle)->interfaceIndex)
            ours = a.name;
    EXPECT_EQ(routesVia(ours).size(), 3u);
}

TEST_F(DialPathTest, FullRelayAddsNoRoutesAndAMissingTableKeepsTheLink)
{
    loggedInVip();
    w<QCheckBox>("IsServer")->setChecked(true);
    ASSERT_TRUE(connect());
    EXPECT_TRUE(routesVia(tunnelDevice()).empty());
    w<QPushButton>("BConn")->click();
    w<QCheckBox>("IsServer")->setChecked(false);
    waitFor([&] { return tunnelDevice().empty(); }, 5000);

    std::filesystem::remove(appDir.file("RouteTabledx.tab"));
    ASSERT_TRUE(connect());
    EXPECT_TRUE(waitFor([&] { return log().find("拷贝文件出错!") != std::string::npos; }, 3000));
    EXPECT_EQ(text("lblStatus"), "已连接!");
}

TEST_F(DialPathTest, MoreThanTenConnectionsLeaveTheWindowAsItWas)
{
    std::string pbk;
    for (int i = 0; i < 10; ++i)
        pbk += "[OTHER" + std::to_string(i) + "]\r\nPhoneNumber=10.1.1.1\r\n";
    writeBytes(systemTemp.file("other.pbk"), pbk);
    for (int i = 0; i < 10; ++i)
        runCapture({ ZAVTREL_RASDIAL, "OTHER" + std::to_string(i), "u", "p",
            "/PHONEBOOK:" + systemTemp.file("other.pbk") });
    loggedInVip();
    w<QPushButton>("BConn")->click();
    QTest::qWait(1500);
    EXPECT_EQ(text("BConn"), "连接");
    EXPECT_EQ(text("lblStatus"), "连接中...");
    EXPECT_FALSE(w("BConn")->isEnabled());
}
