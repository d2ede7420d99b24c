// The client's windows under a real window manager.
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
