#include <QApplication>

#include "base/event_log.h"
#include "core/session.h"
#include "base/settings.h"
#include "base/worker_threads.h"
#include "core/content/ad_schedule.h"
#include "gui/content/config_fetch_worker.h"
#include "gui/threading/ui_hand_over.h"
#include "platform/gbk_codec.h"
#include "tests/gui/content/bar_fixture.h"
#include "tests/support/fakes.h"

#include <thread>

namespace {

constexpr const char* kLogLine = "[2026-03-05 07:08:09]获取配置及路由策略信息失败!\r\n";

class ConfigFetchWorkerTest : public ::testing::Test {
protected:
    BarWidgets ui;
    FileServer content;
    Session session;
    Settings settings { ui.appDir.path() };
    EventLog log { std::make_shared<FakeClock>(), ui.appDir.file("log.txt") };
    AdSchedule schedule;
    WorkerThreads workers;

    ConfigFetchWorkerTest()
    {
        // The login has just written the settings file.
        writeBytes(settings.path(), "[Main]\r\nUser=\r\n[Qqurl]\r\nWebqqurl=http://old/\r\n");
        session.contactUrl = "http://old/";
    }
    ~ConfigFetchWorkerTest() override { EXPECT_TRUE(workers.waitIdle(std::chrono::seconds(10))); }

    std::string img(const std::string& name) const { return content.base() + "img/" + name; }

    // One bitmap per name, its colour told apart by n.
    void putImage(const std::string& name, int n)
    {
        content.put("/img/" + name, bitmapBytes(QColor(n, 0, 0)));
    }

    void setBar(const std::string& ini) { content.put("/content/zvtBt.ini", platform::utf8ToGbk(ini)); }

    void runFetch()
    {
        ConfigFetchJob job;
        job.contentBase = content.base() + "content/";
        job.appDir = ui.appDir.path();
        job.resDir = ui.resDir;
        job.nodeListFile = "Free.ini";
        bool finished = false;
        ConfigFetchWorker::start(
            workers, job, { *ui.bar, schedule, session, settings, log }, [&] { finished = true; });
        ASSERT_TRUE(waitFor([&] { return finished; }));
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::string logText() const { return platform::gbkToUtf8(readBytes(ui.appDir.file("log.txt"))); }
};

} // namespace

TEST_F(ConfigFetchWorkerTest, WithoutACountTheBarHasOneEntryAndNoNewButton)
{
    setBar("[submenu1]\r\nCaption=网络加速\r\nimageurl1=" + img("a.bmp") + "\r\n");
    putImage("a.bmp", 1);
    content.put("/content/zvtad.ini",
        "[adconfig]\r\ncount=1\r\n[ad1]\r\nadtime=10\r\nurl=http://ad/1.swf\r\n"
        "[Qqurl]\r\nWebqqurl=http://contact/\r\n");
    runFetch();
    EXPECT_EQ(ui.bar->captions(), std::vector<std::string> { "网络加速" });
    EXPECT_EQ(ui.bar->normalImages(), std::vector<std::string> { "a.bmp" });
    EXPECT_EQ(ui.button(2), nullptr);
    EXPECT_EQ(ui.title->text(), "网络加速");
    EXPECT_TRUE(fileExists(ui.resDir + "a.bmp"));
    EXPECT_EQ(schedule.size(), 1u);
    EXPECT_EQ(session.contactUrl, "http://contact/");
    EXPECT_EQ(settings.webQqUrl(), "http://contact/");
    EXPECT_FALSE(fileExists(ui.appDir.file("log.txt")));
    // The requests: the five files, then the image addresses of entry 1.
    const std::vector<std::string> expected { "/content/Free.ini", "/content/zvtBt.ini",
        "/content/RouteTabledx.ini", "/content/RouteTablewt.ini", "/content/zvtad.ini", "/img/a.bmp" };
    EXPECT_EQ(content.paths(), expected);
}

TEST_F(ConfigFetchWorkerTest, ThreeEntriesCreateTwoButtonsBelowTheFirst)
{
    std::string ini = "[mainmemu]\r\ncount=3\r\n";
    for (int i = 1; i <= 3; ++i) {
        const std::string n = std::to_string(i);
        ini += "[submenu" + n + "]\r\nCaption=第" + n + "项\r\nimageurl1=" + img("n" + n + ".bmp")
            + "\r\nimageurl2=" + img("h" + n + ".bmp") + "\r\nurl=http://page/" + n + "\r\n";
        putImage("n" + n + ".bmp", 10 * i);
        putImage("h" + n + ".bmp", 10 * i + 5);
    }
    setBar(ini);
    runFetch();

    ASSERT_EQ(ui.bar->captions().size(), 3u);
    EXPECT_EQ(ui.bar->hoverImages()[2], "h3.bmp");
    EXPECT_EQ(ui.bar->urls()[1], "http://page/2");
    for (int i = 2; i <= 3; ++i) {
        ImageButton* b = ui.button(i);
        ASSERT_NE(b, nullptr) << i;
        EXPECT_EQ(b->parentWidget(), &ui.panel1);
        EXPECT_EQ(b->geometry(), QRect(0, i == 2 ? 130 : 164, 30, 30)) << i;
        EXPECT_EQ(b->property("entryIndex").toInt(), i - 1);
        EXPECT_TRUE(b->isVisible());
        EXPECT_EQ(pictureColor(b), QColor(10 * i, 0, 0));
    }
    // The created buttons share the bar's handlers.
    emit ui.button(3)->mouseEntered();
    EXPECT_EQ(pictureColor(ui.button(3)), QColor(35, 0, 0));
    EXPECT_EQ(ui.title->text(), "第1项");
    // adconfig.ini absent: one empty entry; the contact address is emptied and
    // written.
    EXPECT_TRUE(schedule.hasLists());
    EXPECT_EQ(schedule.size(), 1u);
    EXPECT_FALSE(schedule.tick().has_value());
    EXPECT_EQ(session.contactUrl, "");
    EXPECT_TRUE(settings.file().readString("Qqurl", "Webqqurl", "absent").empty());
    EXPECT_FALSE(fileExists(ui.appDir.file("log.txt")));
}

TEST_F(ConfigFetchWorkerTest, AnImageAddressWithoutASlashEndsTheRunBeforeTheSchedule)
{
    setBar("[mainmemu]\r\ncount=3\r\n[submenu1]\r\nCaption=一\r\nimageurl1=" + img("a.bmp")
        + "\r\n[submenu2]\r\nCaption=二\r\nimageurl1=b.bmp\r\n[submenu3]\r\nCaption=三\r\n");
    putImage("a.bmp", 1);
    content.put("/content/zvtad.ini", "[Qqurl]\r\nWebqqurl=http://new/\r\n");
    ui.title->setText("before");
    runFetch();

    EXPECT_EQ(logText(), kLogLine);
    // What came before the failure stays: entry 2's items and its button.
    EXPECT_EQ(ui.bar->captions(), (std::vector<std::string> { "一", "二" }));
    EXPECT_EQ(ui.bar->normalImages()[1], "");
    EXPECT_NE(ui.button(2), nullptr);
    EXPECT_EQ(ui.button(3), nullptr);
    // Nothing after it happens.
    EXPECT_FALSE(schedule.hasLists());
    EXPECT_EQ(session.contactUrl, "http://old/");
    EXPECT_EQ(settings.webQqUrl(), "http://old/");
    EXPECT_EQ(ui.title->text(), "before");
}

TEST_F(ConfigFetchWorkerTest, ARepeatedRunLeavesOneButtonPerPlace)
{
    auto bar = [&](int n) {
        std::string ini = "[mainmemu]\r\ncount=" + std::to_string(n) + "\r\n";
        for (int i = 1; i <= n; ++i)
            ini += "[submenu" + std::to_string(i) + "]\r\nCaption=c" + std::to_string(i)
                + "\r\nimageurl1=" + img("x.bmp") + "\r\n";
        return ini;
    };
    putImage("x.bmp", 7);
    setBar(bar(3));
    runFetch();
    ui.button(3)->click(); // a created button is selected when the next run comes
    EXPECT_TRUE(ui.softPanel->isVisible());

    setBar(bar(2));
    runFetch();
    EXPECT_EQ(ui.buttonsNamed(2), 1);
    EXPECT_EQ(ui.buttonsNamed(3), 0);
    EXPECT_EQ(ui.panel1.findChildren<ImageButton*>().size(), 2);
    EXPECT_EQ(ui.bar->captions().size(), 2u);
    // The selection went back to the fixed first button and its panel.
    EXPECT_EQ(ui.bar->currentButton(), ui.first);
    EXPECT_TRUE(ui.mainPanel->isVisible());
    EXPECT_FALSE(ui.softPanel->isVisible());
}

TEST_F(ConfigFetchWorkerTest, OverlappingRunsLeaveTheBarOfTheLaterOne)
{
    std::string ini = "[mainmemu]\r\ncount=3\r\n";
    for (int i = 1; i <= 3; ++i)
        ini += "[submenu" + std::to_string(i) + "]\r\nCaption=c" + std::to_string(i)
            + "\r\nimageurl1=" + img("x.bmp") + "\r\n";
    putImage("x.bmp", 7);
    setBar(ini);
    ConfigFetchJob job;
    job.contentBase = content.base() + "content/";
    job.appDir = ui.appDir.path();
    job.resDir = ui.resDir;
    job.nodeListFile = "Free.ini";
    // A second login while the first run still downloads.
    int finished = 0;
    for (int run = 0; run < 2; ++run)
        ConfigFetchWorker::start(
            workers, job, { *ui.bar, schedule, session, settings, log }, [&] { ++finished; });
    ASSERT_TRUE(waitFor([&] { return finished == 2; }));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ui.buttonsNamed(2), 1);
    EXPECT_EQ(ui.buttonsNamed(3), 1);
    EXPECT_EQ(ui.bar->captions().size(), 3u);
    EXPECT_EQ(logText(), "") << "the superseded run ends without a failure line";
}

TEST_F(ConfigFetchWorkerTest, AFailedDownloadKeepsTheEarlierLocalFiles)
{
    const std::string oldRoutes = "1.0.1.0,255.255.255.0\r\n";
    writeBytes(ui.appDir.file("RouteTablewt.tab"), oldRoutes);
    writeBytes(ui.appDir.file("Button.ini"), platform::utf8ToGbk("[submenu1]\r\nCaption=旧的\r\n"));
    runFetch(); // the server has none of the files
    EXPECT_EQ(readBytes(ui.appDir.file("RouteTablewt.tab")), oldRoutes);
    EXPECT_EQ(ui.title->text(), "旧的");
}

// The worker's UI side can go while the worker waits on it.
TEST(UiHandOver, AGoneReceiverBreaksTheWaitInsteadOfHanging)
{
    auto receiver = std::make_unique<QObject>();
    auto ui = UiHandOver::create(receiver.get());
    int ran = 0;
    std::atomic<bool> go { false };
    std::atomic<int> outcome { 0 };
    std::thread worker([&] {
        try {
            ui->run([&] { ++ran; });
            ui->run([] { throw std::runtime_error("from the UI"); });
        } catch (const std::runtime_error& e) {
            outcome = std::string(e.what()) == "from the UI" ? 1 : 3;
        }
        while (!go)
            std::this_thread::yield();
        try {
            ui->run([&] { ++ran; }); // never runs: the receiver goes first
        } catch (const HandOverBroken&) {
            outcome = outcome * 10 + 2;
        }
    });
    ASSERT_TRUE(waitFor([&] { return outcome == 1; }));
    // The third call gets queued while no events are processed; then the
    // receiver goes instead of running it.
    go = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    receiver.reset();
    worker.join();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(outcome, 12);
    EXPECT_THROW(ui->run([] {}), HandOverBroken);
}
