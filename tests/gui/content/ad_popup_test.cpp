#include <QGuiApplication>
#include <QScreen>

#include "gui/content/ad_popup.h"
#include "core/content/ad_schedule.h"
#include "gui/content/ad_schedule_ticker.h"
#include "web/web_content.h"
#include "tests/gui/content/bar_fixture.h"

namespace {

QPoint corner(const AdPopup& popup)
{
    const QRect work = popup.screen()->availableGeometry();
    return { work.x() + work.width() - 331 - 2, work.y() + work.height() - 228 - 5 };
}

} // namespace

TEST(AdPopup, ShowsInTheBottomRightCornerOfTheWorkArea)
{
    AdPopup popup;
    EXPECT_EQ(popup.size(), QSize(331, 228));
    EXPECT_TRUE(popup.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(popup.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(popup.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_FALSE(popup.isVisible());

    popup.showMovie("");
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.pos(), corner(popup));

    // Showing it while it is visible only replaces the movie.
    popup.move(5, 5);
    popup.showMovie("");
    EXPECT_EQ(popup.pos(), QPoint(5, 5));

    // Only "quit" closes it; each new showing places it again.
    popup.shockwaveFlash1FSCommand("hello", "world");
    popup.shockwaveFlash1FSCommand("QUIT", "");
    EXPECT_TRUE(popup.isVisible());
    popup.shockwaveFlash1FSCommand("quit", "");
    EXPECT_FALSE(popup.isVisible());
    popup.showMovie("");
    EXPECT_EQ(popup.pos(), corner(popup));
}

// The real player: the movie's own fscommand "quit" hides the pop-up, and the
// next due entry shows it again in the same corner.
TEST(AdPopup, TheMoviesQuitHidesItAndTheNextDueEntryShowsItAgain)
{
    FileServer ads;
    ads.put("/ad/quit.swf", readBytes(ZAVTREL_CONTENT_TEST_DATA "/quit_soon.swf"));
    AdPopup popup;
    AdSchedule schedule;
    schedule.replace({ { "10", ads.base() + "ad/quit.swf" }, { "20", ads.base() + "ad/quit.swf" } });
    AdScheduleTicker ticker(schedule, popup);

    ticker.timer5Timer();
    ASSERT_TRUE(popup.isVisible());
    const QPoint first = popup.pos();
    EXPECT_EQ(first, corner(popup));
    ASSERT_NE(popup.flash(), nullptr);
    EXPECT_EQ(popup.flash()->widget()->geometry(), QRect(0, 0, 331, 228));
    ASSERT_TRUE(waitFor([&] { return !popup.isVisible(); }, 60000)) << "the movie's quit never arrived";
    EXPECT_EQ(ads.count("/ad/quit.swf"), 1u);

    ticker.timer5Timer();
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.pos(), first);
    EXPECT_TRUE(waitFor([&] { return !popup.isVisible(); }, 60000));
    EXPECT_EQ(ads.count("/ad/quit.swf"), 2u);
    EXPECT_EQ(schedule.size(), 0u);
    EXPECT_EQ(schedule.clock(), 30);
}
