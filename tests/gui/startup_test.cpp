#include <QAction>
#include <filesystem>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include "core/cipher/string_cipher.h"
#include "core/shell/stored_texts.h"
#include "tests/gui/main_window_fixture.h"

TEST_F(MainWindowTest, NoSettingsFileAtAll)
{
    start();
    EXPECT_FALSE(fileExists(appDir.file("zvtad.INI"))) << "reading never creates the file";
    EXPECT_EQ(client->session().entryName, "TUVEKP");
    EXPECT_EQ(text("Linkmodev"), "自动");
    EXPECT_EQ(text("LocalLineTypev"), "自动");
    EXPECT_EQ(text("ShowLine"), "");
    EXPECT_EQ(client->nodeChoice().lineType(), 0);
    EXPECT_EQ(client->nodeChoice().serverIp(), "127.0.0.1");
    for (const char* box : { "Saveuserck", "SavePassck", "AutoLoginck", "IsServer", "AutoConn", "LinkADisc" })
        EXPECT_FALSE(checked(box)) << box;
    EXPECT_EQ(text("Username"), "");
    EXPECT_TRUE(w("LoginPanel")->isVisible());
    EXPECT_FALSE(w("Panel1")->isVisible());
    EXPECT_TRUE(fileExists(appDir.path() + "res")) << "the image directory is created";
}

TEST_F(MainWindowTest, DesignTimeControlsAndState)
{
    MainWindow& mw = start();
    EXPECT_EQ(mw.size(), QSize(256, 600));
    EXPECT_EQ(mw.minimumSize(), mw.maximumSize()) << "fixed size";
    EXPECT_FALSE(mw.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(mw.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(mw.windowTitle().toStdString(), cipher::decryptText(stored_texts::kCaptionCipher));
    EXPECT_EQ(mw.windowTitle(), QStringLiteral("Zavtrel加速 V2.9"));
    EXPECT_EQ(w<QLineEdit>("PassWord")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(text("Label9"), "通行证：");
    EXPECT_EQ(text("Label10"), "密码：");
    EXPECT_EQ(text("Saveuserck"), "保存我的帐户信息");
    EXPECT_EQ(text("SavePassck"), "记住我的密码");
    EXPECT_EQ(text("AutoLoginck"), "设置为自动登陆");
    EXPECT_EQ(text("BConn"), "连接");
    EXPECT_TRUE(w<QPushButton>("BConn")->isDefault());
    EXPECT_EQ(text("lblStatus"), "未连接...");
    EXPECT_EQ(text("Localipv"), "127.0.0.1");
    EXPECT_EQ(text("Linktimev"), "00:00:00");
    EXPECT_EQ(text("Lxmit"), "0");
    EXPECT_EQ(text("LRecv"), "0");
    EXPECT_EQ(text("AutoT"), "自助踢号");
    EXPECT_FALSE(w("AutoT")->isVisibleTo(w("Mainpanel")));
    EXPECT_FALSE(w("SoftPanel")->isVisibleTo(w("Panel1")));
    EXPECT_FALSE(w("Viplabel")->isVisibleTo(w("Panel1")));
    EXPECT_EQ(text("FreeUlb"), "Vip用户：");
    EXPECT_EQ(w("bsSkinSpeedButton1")->geometry(), QRect(1, 95, 29, 30));

    for (const char* t : { "Timer1", "Timer2", "Timer5" })
        EXPECT_FALSE(mw.findChild<QTimer*>(t)->isActive()) << t;
    EXPECT_EQ(mw.findChild<QTimer*>("Timer1")->interval(), 1000);
    EXPECT_EQ(mw.findChild<QTimer*>("Timer2")->interval(), 5000);
    EXPECT_EQ(mw.findChild<QTimer*>("Timer5")->interval(), 10000);

    const auto actions = mw.popupMenu()->actions();
    ASSERT_EQ(actions.size(), 6);
    const char* names[] = { "ExitX1", "C1", "N6", "L1", "W1", "X1" };
    const char* captions[]
        = { "连接(&C)", "断开(&D)", "自助踢号", "切换用户(&L)", "访问网站(&W)", "退出(&X)" };
    const bool enabled[] = { true, false, true, true, true, true };
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(actions[i]->objectName().toStdString(), names[i]);
        EXPECT_EQ(actions[i]->text().toStdString(), captions[i]);
        EXPECT_EQ(actions[i]->isEnabled(), enabled[i]) << names[i];
    }
}

TEST_F(MainWindowTest, ModeTwoPicksTheEntryByWindowsVersion)
{
    struct Case {
        platform::OsVersion version;
        const char* entry;
        const char* label;
    };
    const Case cases[] = {
        { { platform::OsVersion::kWindowsNt, 6, 1 }, "TUVEKL", "模式二" },
        { { platform::OsVersion::kWindowsNt, 10, 0 }, "TUVEKL", "模式二" },
        { { platform::OsVersion::kWindowsNt, 5, 1 }, "TUVEKX", "模式2" },
        { { platform::OsVersion::kWindowsNt, 5, 2 }, "TUVEKX", "模式2" },
        { { platform::OsVersion::kOther, 6, 1 }, "TUVEKX", "模式2" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        writeSettings("[Main]\r\nMode=0x2\r\n");
        osInfo->value = c.version;
        start();
        EXPECT_EQ(client->session().entryName, c.entry);
        EXPECT_EQ(text("Linkmodev"), c.label);
        EXPECT_EQ(readBytes(appDir.file("zvtad.INI")), "[Main]\r\nMode=2\r\n") << "mode 2 is written back";
    }
}

TEST_F(MainWindowTest, OtherModesAreModeOneAndNotRewritten)
{
    for (const char* mode : { "0", "3", "two" }) {
        const std::string content = std::string("[Main]\r\nMode=") + mode + "\r\n";
        writeSettings(content);
        start();
        EXPECT_EQ(client->session().entryName, "TUVEKP") << mode;
        EXPECT_EQ(text("Linkmodev"), "自动");
        EXPECT_EQ(readBytes(appDir.file("zvtad.INI")), content);
    }
}

TEST_F(MainWindowTest, SavedNodeChoiceIsRestored)
{
    struct Case {
        int lineType;
        const char* showLine;
    };
    for (const Case& c : { Case { 1, "本地网通线路" }, Case { 2, "本地电信线路" },
             Case { 3, "铁通或其他线路" }, Case { 5, "" } }) {
        SCOPED_TRACE(c.lineType);
        writeSettings("[Main]\r\nLineType=" + std::to_string(c.lineType)
            + "\r\nServerName=网通节点1\r\nServer=" + cipher::encryptText("10.8.0.1") + "\r\n");
        start();
        EXPECT_EQ(text("LocalLineTypev"), "网通节点1");
        EXPECT_EQ(client->nodeChoice().serverIp(), "10.8.0.1");
        EXPECT_EQ(client->nodeChoice().lineType(), c.lineType);
        EXPECT_EQ(text("ShowLine"), c.showLine);
    }
}

TEST_F(MainWindowTest, SavedCredentialsAreDecipheredIntoTheEdits)
{
    writeSettings("[Main]\r\nUser=" + cipher::encryptText("张三")
        + "\r\nPass=" + cipher::encryptText("pa ss&1")
        + "\r\nSaveInfo=1\r\nSavePwd=5\r\nSaveLogin=0\r\n[Qqurl]\r\nWebqqurl=http://contact/\r\n");
    start();
    EXPECT_EQ(text("Username"), "张三");
    EXPECT_EQ(text("PassWord"), "pa ss&1");
    EXPECT_TRUE(checked("Saveuserck"));
    EXPECT_TRUE(checked("SavePassck"));
    EXPECT_FALSE(checked("AutoLoginck"));
    EXPECT_EQ(client->session().contactUrl, "http://contact/");
}

TEST_F(MainWindowTest, AnnouncementSplitsAtTheFirstBar)
{
    announcement = "新节点上线|http://portal/a|b";
    start();
    EXPECT_TRUE(w("lblContent")->isVisible());
    EXPECT_EQ(text("lblContent"), "新节点上线");
    EXPECT_TRUE(w("lblContent")->font().underline());
    EXPECT_EQ(client->session().announcementUrl, "http://portal/a|b");
    const auto requests = portal.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")), "GET //gonggao.txt HTTP/1.1");
}

TEST_F(MainWindowTest, AnnouncementWithoutBarOrWithAFailure)
{
    announcement = "只有内容";
    start();
    EXPECT_TRUE(w("lblContent")->isVisible());
    EXPECT_EQ(text("lblContent"), "");
    EXPECT_EQ(client->session().announcementUrl, "只有内容");

    announcementStatus = 500;
    start();
    EXPECT_FALSE(w("lblContent")->isVisible());
    EXPECT_EQ(client->session().announcementUrl, "");
}

TEST_F(MainWindowTest, SaveLoginWithEmptyCredentialsAttemptsTheLogin)
{
    writeSettings("[Main]\r\nSaveLogin=1\r\n");
    start();
    EXPECT_TRUE(checked("AutoLoginck"));
    EXPECT_EQ(client->session().portalUser, "");
    EXPECT_TRUE(w("LoginPanel")->isVisible());
}

TEST_F(MainWindowTest, WindowGoesToTheTopRightCorner)
{
    MainWindow& mw = start();
    const QRect screen = mw.screen()->geometry();
    EXPECT_EQ(mw.frameGeometry().left(), screen.width() - mw.frameGeometry().width() - 50);
    EXPECT_EQ(mw.frameGeometry().top(), 50);
}

TEST_F(MainWindowTest, StartUpRemovesWhatAKilledWriteLeftBehind)
{
    std::filesystem::create_directories(appDir.path() + "res");
    const std::vector<std::string> stale
        = { appDir.file(".zvtad.INI.tmp-a1B2c3"), appDir.file(".Vip.ini.tmp-zzzzzz"),
              appDir.path() + "res/.tuvek1a.bmp.tmp-000000", systemTemp.file(".TUVEKP.sys.tmp-q1w2e3") };
    const std::vector<std::string> kept
        = { systemTemp.file(".other.ini.tmp-q1w2e3"), appDir.file("notes.txt") };
    for (const auto& f : stale)
        writeBytes(f, "partial");
    for (const auto& f : kept)
        writeBytes(f, "keep");
    start();
    for (const auto& f : stale)
        EXPECT_FALSE(fileExists(f)) << f;
    for (const auto& f : kept)
        EXPECT_TRUE(fileExists(f)) << f;
}

// The start-up's own pictures are read without asking every image plugin
// about them: none is loaded, the SVG module with them.
TEST_F(MainWindowTest, StartUpLoadsNoImagePlugin)
{
    start();
    EXPECT_FALSE(w("Image3")->property("pixmap").value<QPixmap>().isNull());
    EXPECT_EQ(readBytes("/proc/self/maps").find("imageformats"), std::string::npos);
}
