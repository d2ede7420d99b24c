#include <QTimer>
#include <filesystem>
#include <sys/stat.h>

#include "core/cipher/string_cipher.h"
#include "core/shell/stored_texts.h"
#include "tests/gui/main_window_fixture.h"

namespace {

constexpr const char* kRequestFailed = "提示：登陆失败！\r\n\r\n可能是如下原因：\r\n\r\n1."
                                       "本地网络未连接。\r\n\r\n2.登陆验证服务器故障，请联系客服！";

// A success reply: items 0..15, overridable by index.
std::string reply(std::map<int, std::string> overrides = {})
{
    std::vector<std::string> v { "ok!", "10.1.1.9", "88.50", "30", "1", "2.9", "0", "1", "", "0", "资讯", "",
        "480", "320", "0", "" };
    for (const auto& [i, value] : overrides)
        v[static_cast<size_t>(i)] = value;
    std::string s;
    for (size_t i = 0; i < v.size(); ++i)
        s += (i ? "|" : "") + v[i];
    return s;
}

class LoginTest : public MainWindowTest {
protected:
    std::string loginBody = reply();
    int loginStatus = 200;
    std::vector<std::string> loginTargets;

    void SetUp() override
    {
        route = [this](const std::string& target) {
            if (target.rfind("/Exelogin.aspx", 0) != 0)
                return RecordingHttpServer::Reply { 404, "", {} }; // the configuration fetch
            loginTargets.push_back(target);
            return RecordingHttpServer::Reply { loginStatus, loginBody,
                loginStatus == 302 ? std::vector<std::string> { "Location: /x" }
                                   : std::vector<std::string> {} };
        };
    }

    void login(const std::string& user = "demo", const std::string& password = "pw")
    {
        w<QLineEdit>("Username")->setText(QString::fromStdString(user));
        w<QLineEdit>("PassWord")->setText(QString::fromStdString(password));
        w<QAbstractButton>("BsLogin")->click();
    }
    bool loggedIn() { return w("Panel1")->isVisible() && !w("LoginPanel")->isVisible(); }
};

} // namespace

TEST_F(LoginTest, VipAccountGetsTheVipLayout)
{
    start();
    login("张三", "p w&#1");
    ASSERT_TRUE(loggedIn()) << text("Loginstatelb");
    ASSERT_EQ(loginTargets.size(), 1u);
    EXPECT_EQ(loginTargets[0], "/Exelogin.aspx?username=\xD5\xC5\xC8\xFD&password=p%20w%26%231");
    const Session& s = client->session();
    EXPECT_TRUE(s.vipAccount);
    EXPECT_EQ(s.accountState, 1);
    EXPECT_EQ(s.nodeListFile, "Vip.ini");
    EXPECT_EQ(s.appTitle, cipher::decryptText(stored_texts::kAppTitleCipher));
    EXPECT_EQ(s.appTitle, "Zavtrel加速器");
    EXPECT_EQ(text("FreeUlb"), "Vip用户：");
    EXPECT_EQ(text("Usernamelb"), "张三");
    EXPECT_EQ(text("Localipv"), "10.1.1.9");
    EXPECT_EQ(text("Balancevlb"), "88.50 元");
    EXPECT_EQ(text("Expirevlb"), "30 天");
    for (const char* l : { "Balancelb", "Balancevlb", "Expirelb", "Expirevlb" })
        EXPECT_TRUE(w(l)->isVisible()) << l;
    EXPECT_FALSE(w("Viplabel")->isVisible());
    EXPECT_TRUE(w("LinkADisc")->isVisible());
    EXPECT_TRUE(checked("LinkADisc"));
    EXPECT_EQ(w("FreeUlb")->pos(), QPoint(80, 5));
    EXPECT_EQ(w("Usernamelb")->pos(), QPoint(145, 2));
    EXPECT_TRUE(w("IsServer")->isEnabled());
    EXPECT_EQ(text("Loginstatelb"), "");
    EXPECT_FALSE(w("Username")->isEnabled()) << "the edits stay disabled after a login";
}

TEST_F(LoginTest, FreeAccountGetsTheFreeLayout)
{
    loginBody = reply({ { 4, "0" }, { 7, "0" } });
    start();
    login();
    ASSERT_TRUE(loggedIn());
    const Session& s = client->session();
    EXPECT_FALSE(s.vipAccount);
    EXPECT_EQ(s.nodeListFile, "Free.ini");
    EXPECT_EQ(text("FreeUlb"), "免费用户：");
    for (const char* l : { "Balancelb", "Balancevlb", "Expirelb", "Expirevlb" })
        EXPECT_FALSE(w(l)->isVisible()) << l;
    EXPECT_TRUE(w("Viplabel")->isVisible());
    EXPECT_EQ(text("Viplabel"), "立即升级成VIP版享受飞速快感！");
    EXPECT_FALSE(w("LinkADisc")->isVisible());
    EXPECT_FALSE(checked("LinkADisc"));
    EXPECT_EQ(w("FreeUlb")->pos(), QPoint(75, 12));
    EXPECT_EQ(w("Usernamelb")->pos(), QPoint(145, 10));
    EXPECT_FALSE(w("IsServer")->isEnabled());
}

TEST_F(LoginTest, FailuresStayOnTheLoginPanelWithTheirText)
{
    struct Case {
        const char* name;
        int status;
        std::string body;
        const char* expected;
    };
    const std::string refused = "提示：登陆失败！\r\n\r\n可能是如下原因：\r\n\r\n1."
                                "帐户或者密码错误。\r\n\r\n2.连接用户过多请稍后再试！";
    const std::string frozen = "提示：\r\n\r\n您的帐户已被冻结，请联系网站管理员！";
    const std::string expired = "提示：\r\n\r\n您的帐户已到期,请及时冲值,谢谢合作!"
                                "\r\n\r\n如果您已经充值，请点击下面按钮，兑换使用时间！";
    const std::vector<Case> cases = {
        { "refused", 200, "error", refused.c_str() },
        { "fewer than 16 items", 200, "ok!|a|b|c|1|2.9|0|1||0|t||1|1|0", kRequestFailed },
        { "item 4 not an integer", 200, reply({ { 4, "vip" } }), kRequestFailed },
        { "item 6 not an integer", 200, reply({ { 6, "x" } }), kRequestFailed },
        { "item 7 not an integer", 200, reply({ { 7, "" } }), kRequestFailed },
        { "item 9 not an integer", 200, reply({ { 9, "1.5" } }), kRequestFailed },
        { "item 14 not an integer", 200, reply({ { 14, "n" } }), kRequestFailed },
        { "frozen with DaysLeft 0", 200, reply({ { 4, "2" }, { 3, "0" } }), frozen.c_str() },
        { "expired VIP", 200, reply({ { 3, "0" } }), expired.c_str() },
        { "expired free", 200, reply({ { 3, "0" }, { 4, "0" } }), expired.c_str() },
        { "HTTP 302", 302, reply(), kRequestFailed },
        { "HTTP 500", 500, reply(), kRequestFailed },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        loginStatus = c.status;
        loginBody = c.body;
        start();
        login();
        EXPECT_FALSE(loggedIn());
        EXPECT_EQ(text("Loginstatelb"), c.expected);
        EXPECT_TRUE(w("Username")->isEnabled());
        EXPECT_TRUE(w("PassWord")->isEnabled());
        EXPECT_FALSE(programEnded);
    }
}

TEST_F(LoginTest, ServerUnreachable)
{
    start();
    client.reset();
    ClientConfig c = config();
    c.portalBase = "http://127.0.0.1:1/";
    client = std::make_unique<ClientApplication>(c, services);
    client->mainWindow().show();
    login();
    EXPECT_FALSE(loggedIn());
    EXPECT_EQ(text("Loginstatelb"), kRequestFailed);
}

TEST_F(LoginTest, EmptyFieldsSendNothingAndStoreNothing)
{
    start();
    for (auto [user, pass] : { std::pair { "", "pw" }, std::pair { "u", "" } }) {
        login(user, pass);
        EXPECT_EQ(text("Loginstatelb"), "提示：\r\n\r\n请输入帐户和密码！");
        EXPECT_TRUE(w("Username")->isEnabled());
        EXPECT_TRUE(w("Username")->hasFocus() || !client->mainWindow().isActiveWindow());
    }
    EXPECT_TRUE(loginTargets.empty());
    EXPECT_FALSE(fileExists(appDir.file("zvtad.INI")));
    // A single space counts as filled in.
    loginBody = "error";
    login(" ", " ");
    EXPECT_EQ(loginTargets.size(), 1u);
}

TEST_F(LoginTest, ChoicesAreStoredBeforeSending)
{
    start();
    w<QCheckBox>("Saveuserck")->setChecked(false);
    w<QCheckBox>("SavePassck")->setChecked(true);
    w<QCheckBox>("AutoLoginck")->setChecked(true);
    loginBody = "error";
    login("u1", "p1");
    const Settings& s = client->mainWindow().settings();
    EXPECT_EQ(cipher::decryptText(s.user()), "u1") << "a remembered password keeps the user name";
    EXPECT_EQ(cipher::decryptText(s.pass()), "p1");
    EXPECT_FALSE(s.saveInfo());
    EXPECT_TRUE(s.savePwd());
    EXPECT_TRUE(s.saveLogin());

    w<QCheckBox>("Saveuserck")->setChecked(true);
    w<QCheckBox>("SavePassck")->setChecked(false);
    login("u2", "p2");
    EXPECT_EQ(cipher::decryptText(s.user()), "u2");
    EXPECT_EQ(s.pass(), "");

    w<QCheckBox>("Saveuserck")->setChecked(false);
    login("u3", "p3");
    EXPECT_EQ(s.user(), "");
}

TEST_F(LoginTest, RefusedSettingsWriteStopsBeforeTheRequest)
{
    start();
    std::filesystem::create_directory(appDir.file("zvtad.INI")); // a directory cannot be replaced by a file
    login();
    EXPECT_TRUE(loginTargets.empty());
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, "Unable to write to " + appDir.file("zvtad.INI"));
    EXPECT_TRUE(w("Username")->isEnabled());
}

TEST_F(LoginTest, AReadOnlySettingsFileIsNeitherReplacedNorLoggedInFrom)
{
    const std::string saved = "[Main]\r\nUser=" + cipher::encryptText("demo")
        + "\r\nPass=" + cipher::encryptText("pw") + "\r\nSaveInfo=1\r\nSavePwd=1\r\nSaveLogin=1\r\n";
    writeSettings(saved);
    chmod(appDir.file("zvtad.INI").c_str(), 0444);
    // From start-up: silent, and nothing sent.
    start();
    EXPECT_TRUE(loginTargets.empty());
    EXPECT_TRUE(boxes->shown.empty());
    // From the button: the error, and nothing sent.
    login();
    EXPECT_TRUE(loginTargets.empty());
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, "Unable to write to " + appDir.file("zvtad.INI"));
    EXPECT_EQ(readBytes(appDir.file("zvtad.INI")), platform::utf8ToGbk(saved));
}

TEST_F(LoginTest, StopAndIllegalAndUpdateEndTheProgram)
{
    loginBody = "service stop";
    start();
    login();
    EXPECT_TRUE(programEnded);
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].title, "Zavtrel");
    EXPECT_EQ(boxes->shown[0].text, "系统升级中,暂停使用！");

    loginBody = reply({ { 4, "3" } });
    start();
    login();
    EXPECT_TRUE(programEnded);
    EXPECT_EQ(boxes->shown.back().text, "非法用户，请联系网站管理员！");

    for (const char* version : { "2.90", "3.0", "2.8" }) {
        loginBody = reply({ { 5, version }, { 4, "2" } });
        start();
        login();
        EXPECT_TRUE(programEnded) << version;
        ASSERT_FALSE(launcher->started.empty());
        EXPECT_EQ(launcher->started.back(), std::vector<std::string> { appDir.file("Update.exe") });
        EXPECT_FALSE(loggedIn());
    }
    const size_t launched = launcher->started.size();
    loginBody = reply({ { 5, "2.9" } });
    start();
    login();
    EXPECT_FALSE(programEnded);
    EXPECT_EQ(launcher->started.size(), launched);
}

TEST_F(LoginTest, AdvertisementTimerSwitchRule)
{
    struct Case {
        const char* state;
        const char* adSwitch;
        bool on;
    };
    for (const Case& c : { Case { "0", "1", true }, Case { "1", "1", false }, Case { "0", "2", true },
             Case { "1", "2", true }, Case { "0", "0", false }, Case { "1", "3", false } }) {
        loginBody = reply({ { 4, c.state }, { 6, c.adSwitch } });
        start();
        login();
        ASSERT_TRUE(loggedIn());
        EXPECT_EQ(client->mainWindow().findChild<QTimer*>("Timer5")->isActive(), c.on)
            << "state " << c.state << " switch " << c.adSwitch;
    }
}

TEST_F(LoginTest, FullRelayNotAllowedUnchecksASavedChoice)
{
    writeSettings("[Main]\r\nIsServer=1\r\n");
    loginBody = reply({ { 7, "0" } });
    start();
    EXPECT_TRUE(checked("IsServer"));
    login();
    ASSERT_TRUE(loggedIn());
    EXPECT_FALSE(checked("IsServer"));
    EXPECT_FALSE(w("IsServer")->isEnabled());
    EXPECT_FALSE(client->mainWindow().settings().isServer()) << "the box's handler stored false";
}

TEST_F(LoginTest, AutomaticLoginAtStartUp)
{
    writeSettings("[Main]\r\nUser=" + cipher::encryptText("demo") + "\r\nPass=" + cipher::encryptText("pw")
        + "\r\nSaveInfo=1\r\nSavePwd=1\r\nSaveLogin=1\r\nAutoConn=1\r\n");
    start();
    EXPECT_TRUE(loggedIn());
    EXPECT_TRUE(checked("AutoConn")) << "auto-connect ticks the box";
    EXPECT_TRUE(client->mainWindow().settings().autoConn());
}
