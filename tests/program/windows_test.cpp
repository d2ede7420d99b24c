// The client's windows under a real window manager.
#include <set>
#include <thread>

#include "platform/gbk_codec.h"
#include "tests/program/program_fixture.h"

using namespace std::chrono_literals;

TEST_F(ProgramTest, TheNewsWindowsOuterSizeIsTheOneTheLoginAsks)
{
    addWebEngine();
    route = [](const std::string& target) {
        if (target.rfind("/Exelogin.aspx", 0) == 0)
            return RecordingHttpServer::Reply { 200,
                platform::utf8ToGbk("ok!|10.0.0.5|1.00|30|1|2.9|0|1||2|资讯||575|440|0|"), {} };
        if (target.rfind("/ad/", 0) == 0)
            return RecordingHttpServer::Reply { 200, "<html><body>news</body></html>",
                { "Content-Type: text/html" } };
        return RecordingHttpServer::Reply { 404, "", {} };
    };
    startX(true);
    ASSERT_FALSE(startClient().empty());
    logIn("demo", "pw");
    ASSERT_FALSE(x->waitForWindow(client->pid(), "^资讯$", 30s).empty())
        << "the news window appears once its page has loaded";
    std::this_thread::sleep_for(1s);
    // (NewsWidth + 21) x (NewsHeight + 35), frame included. Asked afresh: the
    // engine may have given the window a new native window meanwhile.
    const std::string news = x->waitForWindow(client->pid(), "^资讯$", 5s);
    EXPECT_EQ(x->outerSize(news), std::make_pair(596, 475));
}

namespace {

size_t distinctColours(const std::string& rgb)
{
    std::set<std::string> colours;
    for (size_t i = 0; i + 3 <= rgb.size(); i += 3)
        colours.insert(rgb.substr(i, 3));
    return colours.size();
}

} // namespace

TEST_F(ProgramTest, AnAnnouncementThatNeverComesDoesNotHoldTheWindow)
{
    route = [](const std::string& target) {
        RecordingHttpServer::Reply r;
        r.silent = target == "//gonggao.txt";
        r.status = 404;
        return r;
    };
    startX(false);
    const auto start = std::chrono::steady_clock::now();
    client = std::make_unique<ChildProcess>(std::vector<std::string> { appDir.file("zavtrel") }, clientEnv(),
        appDir.file("client-output.txt"), appDir.path());
    const std::string window = x->waitForWindow(client->pid(), "V2.9", 2s);
    ASSERT_FALSE(window.empty()) << "the window is on screen within 2 s";
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(distinctColours(x->pixels(window, 0, 0, 256, 600)), 50u) << "and painted";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(requestsTo("//gonggao.txt"), 1);
}

TEST_F(ProgramTest, DuringALoginThatWaitsTheWindowPaintsAndDropsClicks)
{
    route = [](const std::string& target) {
        RecordingHttpServer::Reply r;
        r.silent = target.rfind("/Exelogin.aspx", 0) == 0;
        r.status = 404;
        return r;
    };
    saveLogin("demo", "pw");
    startX(false);
    const std::string window = startClient();
    ASSERT_FALSE(window.empty());
    for (int i = 0; i < 100 && requestsTo("/Exelogin.aspx") == 0; ++i)
        std::this_thread::sleep_for(50ms);
    ASSERT_EQ(requestsTo("/Exelogin.aspx"), 1) << "the saved login goes out after the announcement";
    EXPECT_EQ(requestsTo("//gonggao.txt"), 1);
    // The 设置为自动登陆 box, ticked by the saved login.
    const auto box = [&] { return x->pixels(window, 36, 332, 190, 22); };
    std::this_thread::sleep_for(300ms);
    const std::string before = box();
    EXPECT_GT(distinctColours(x->pixels(window, 0, 0, 256, 600)), 50u) << "the window is painted";
    x->clickInWindow(window, 44, 343);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(box(), before) << "a click during the exchange changes nothing";
    // The login gives up; the click made meanwhile is not replayed.
    std::this_thread::sleep_for(15s);
    EXPECT_TRUE(client->running());
    EXPECT_EQ(box(), before) << "nor afterwards";
    EXPECT_EQ(requestsTo("/Exelogin.aspx"), 1);
}
