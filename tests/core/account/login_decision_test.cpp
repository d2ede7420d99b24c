#include <gtest/gtest.h>

#include "base/settings.h"
#include "core/account/announcement.h"
#include "core/account/login_decision.h"
#include "core/account/saved_login.h"
#include "core/cipher/string_cipher.h"
#include "tests/support/temp_dir.h"

namespace {

// A success reply with the items that decide: days left, account state and
// the version the service accepts.
std::string reply(const char* days, const char* state, const char* version = "2.9")
{
    return std::string("ok!|1.2.3.4|10|") + days + "|" + state + "|" + version + "|0|1||0|t||480|320|0|";
}

} // namespace

TEST(LoginDecision, OutcomesInTheOrderTheyAreChecked)
{
    struct Case {
        bool ok;
        std::string body;
        LoginOutcome outcome;
    };
    const Case cases[] = {
        { false, reply("30", "1"), LoginOutcome::RequestFailed },
        { true, "wrong password", LoginOutcome::Refused },
        { true, "service stop", LoginOutcome::Stopped },
        { true, "ok!|too|few", LoginOutcome::RequestFailed },
        { true, reply("30", "x"), LoginOutcome::RequestFailed },
        // The version is checked before anything else of the reply.
        { true, reply("0", "7", "2.90"), LoginOutcome::UpdateRequired },
        { true, reply("30", "3"), LoginOutcome::IllegalUser },
        { true, reply("30", "-1"), LoginOutcome::IllegalUser },
        // Frozen wins over expired.
        { true, reply("0", "2"), LoginOutcome::Frozen },
        { true, reply("0", "1"), LoginOutcome::Expired },
        { true, reply("0", "0"), LoginOutcome::Expired },
        { true, reply("30", "0"), LoginOutcome::Accepted },
        { true, "news " + reply("1", "1"), LoginOutcome::Accepted },
    };
    for (const Case& c : cases) {
        const LoginDecision d = decideLogin(c.ok, c.body);
        EXPECT_EQ(d.outcome, c.outcome) << c.body;
        EXPECT_EQ(d.reply.has_value(), c.outcome >= LoginOutcome::UpdateRequired) << c.body;
    }
    EXPECT_EQ(decideLogin(true, reply("30", "1")).reply->accountState, 1);
}

TEST(LoginDecision, TextsOfEachOutcome)
{
    for (LoginOutcome o :
        { LoginOutcome::RequestFailed, LoginOutcome::Refused, LoginOutcome::Frozen, LoginOutcome::Expired }) {
        EXPECT_NE(loginPanelText(o), nullptr);
        EXPECT_EQ(loginEndMessage(o), nullptr);
    }
    EXPECT_STREQ(loginEndMessage(LoginOutcome::Stopped), "系统升级中,暂停使用！");
    EXPECT_STREQ(loginEndMessage(LoginOutcome::IllegalUser), "非法用户，请联系网站管理员！");
    EXPECT_EQ(loginPanelText(LoginOutcome::Accepted), nullptr);
}

TEST(Announcement, SplitAtTheFirstBar)
{
    const Announcement a = splitAnnouncement("公告|http://x/|y");
    EXPECT_EQ(a.caption, "公告");
    EXPECT_EQ(a.url, "http://x/|y");
    const Announcement none = splitAnnouncement("http://only/");
    EXPECT_EQ(none.caption, "");
    EXPECT_EQ(none.url, "http://only/");
    EXPECT_EQ(announcementRequest("http://h/").url, "http://h//gonggao.txt");
    EXPECT_TRUE(announcementRequest("http://h/").followRedirects);
}

TEST(SavedLogin, ARememberedPasswordKeepsTheUserName)
{
    TempDir dir;
    const Settings settings(dir.path());
    struct Case {
        LoginChoices choices;
        bool userKept, passKept;
    };
    for (const Case& c :
        { Case { { true, true, true }, true, true }, Case { { false, true, false }, true, true },
            Case { { true, false, false }, true, false }, Case { { false, false, false }, false, false } }) {
        storeLoginChoices(settings, "张三", "pw", c.choices);
        const SavedLogin saved = readSavedLogin(settings);
        EXPECT_EQ(saved.user, c.userKept ? "张三" : "");
        EXPECT_EQ(saved.password, c.passKept ? "pw" : "");
        EXPECT_EQ(saved.choices.saveUser, c.choices.saveUser);
        EXPECT_EQ(saved.choices.savePassword, c.choices.savePassword);
        EXPECT_EQ(saved.choices.autoLogin, c.choices.autoLogin);
    }
    // What is kept is cipher text, not the name.
    EXPECT_EQ(settings.user(), "");
    storeLoginChoices(settings, "张三", "pw", { true, false, false });
    EXPECT_EQ(settings.user(), cipher::encryptText("张三"));
}
