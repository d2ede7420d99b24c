#include "gui/content/news_window.h"
#include "web/web_content.h"
#include "tests/gui/content/bar_fixture.h"

TEST(NewsWindow, StaysUnseenUntilItsPageCompletesThenShowsOpaque)
{
    FileServer ads;
    ads.put(
        "/ad/", "<html><head><meta charset=\"utf-8\"></head><body bgcolor=\"#800080\">资讯</body></html>");
    auto* w = new NewsWindow("今日资讯", "580", "404", ads.base() + "ad/");
    QPointer<NewsWindow> guard(w);
    EXPECT_EQ(w->windowOpacity(), 0.0);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w->windowTitle(), "今日资讯");
    EXPECT_EQ(w->size(), QSize(601, 439));
    ASSERT_NE(w->webBrowser(), nullptr);
    EXPECT_EQ(w->webBrowser()->widget()->geometry(), QRect(-1, -1, 596, 439));

    ASSERT_TRUE(waitFor([&] { return w->pageCompleted(); }));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowOpacity(), 1.0);
    EXPECT_EQ(ads.count("/ad/"), 1u);
    // The user closes it; it goes.
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST(NewsWindow, BadSizesOrAPageThatNeverCompletesKeepItUnseen)
{
    struct Case {
        const char* what;
        std::string width, height, url;
        bool browser;
    };
    const Case cases[] = {
        { "width not an integer", "6OO", "400", "http://127.0.0.1:1/ad/", false },
        { "empty height", "600", "", "http://127.0.0.1:1/ad/", false },
        { "page refused", "600", "400", "http://127.0.0.1:1/ad/", true },
    };
    for (const auto& c : cases) {
        NewsWindow w("标题", c.width, c.height, c.url);
        EXPECT_EQ(w.webBrowser() != nullptr, c.browser) << c.what;
        EXPECT_EQ(w.windowTitle(), c.browser ? "标题" : "Lumora信息资讯") << c.what;
        EXPECT_FALSE(waitFor([&] { return w.isVisible() || w.pageCompleted(); }, 2000)) << c.what;
        EXPECT_EQ(w.windowOpacity(), 0.0) << c.what;
    }
}
