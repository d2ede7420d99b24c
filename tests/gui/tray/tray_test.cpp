#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <atomic>
#include <thread>

#include "gui/connection/connection_controller.h"
#include "tests/gui/main_window_fixture.h"
#include "tests/support/child_process.h"

namespace {

class TrayTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 200 && !QSystemTrayIcon::isSystemTrayAvailable(); ++i)
            QTest::qWait(25);
        ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable()) << "no notification area on this display";
    }
    QSystemTrayIcon* tray() { return client->mainWindow().findChild<QSystemTrayIcon*>("TrayIcon"); }

    // A VIP account logged in; every dial brings up connection 5.
    MainWindow& loggedIn()
    {
        route = [](const std::string& target) {
            if (target.rfind("/Exelogin.aspx", 0) == 0)
                return RecordingHttpServer::Reply { 200, "ok!|10.0.0.5|1.00|30|1|2.9|0|1||0|t||480|320|0|",
                    {} };
            return RecordingHttpServer::Reply { 404, "", {} };
        };
        capture->onRun = [this] { remoteAccess->replaceAll(5, "TUVEKP"); };
        return logInFromPanel();
    }
    void waitForDial()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return client->workers().running() == 0; }, 5000));
        QTest::qWait(50);
    }
    // What the notification area shows of the icon, once it has repainted.
    QImage iconOnScreen()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !tray()->geometry().isEmpty(); }, 5000))
            << "never embedded";
        QTest::qWait(300);
        const QRect at = tray()->geometry();
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, at.x(), at.y(), at.width(), at.height())
            .toImage();
    }
    // The text of the icon's message bubble on screen, or "" when none
    // shows. The bubble is closed then, as a click on it does, so that it
    // covers no icon.
    static QString takeBubbleText()
    {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->inherits("QBalloonTip") && top->isVisible()) {
                QStringList texts;
                for (const QLabel* l : top->findChildren<QLabel*>())
                    texts << l->text();
                top->close();
                return texts.join(QLatin1Char('\n'));
            }
        return {};
    }
};

} // namespace

TEST_F(TrayTest, IconMenuHideAndRestore)
{
    MainWindow& mw = start();
    ASSERT_NE(tray(), nullptr);
    EXPECT_TRUE(tray()->isVisible());
    EXPECT_EQ(tray()->toolTip(), QStringLiteral("Zavtrel - 未连接"));
    EXPECT_EQ(tray()->contextMenu(), mw.popupMenu());
    EXPECT_FALSE(tray()->icon().isNull());

    // Closing hides the window; the program goes on.
    mw.close();
    QTest::qWait(50);
    EXPECT_FALSE(mw.isVisible());
    EXPECT_FALSE(programEnded);

    // A middle click does nothing; a left click brings the window back.
    emit tray()->activated(QSystemTrayIcon::MiddleClick);
    QTest::qWait(50);
    EXPECT_FALSE(mw.isVisible());
    emit tray()->activated(QSystemTrayIcon::Trigger);
    QTest::qWait(50);
    EXPECT_TRUE(mw.isVisible());
    EXPECT_FALSE(mw.isMinimized());

    // Minimising hides it as well.
    mw.showMinimized();
    QTest::qWait(200);
    EXPECT_FALSE(mw.isVisible());
    emit tray()->activated(QSystemTrayIcon::Trigger);
    QTest::qWait(50);
    EXPECT_TRUE(mw.isVisible());

    // Exit removes the icon.
    mw.findChild<QAction*>("X1")->trigger();
    EXPECT_TRUE(programEnded);
    QTest::qWait(50);
    EXPECT_EQ(tray(), nullptr);
}

TEST_F(TrayTest, IconShowsTheLinkStateAndDropsAreAnnounced)
{
    MainWindow& mw = loggedIn();
    const QImage idle = iconOnScreen();
    EXPECT_EQ(takeBubbleText(), QString()) << "nothing to announce yet";

    std::atomic<bool> release { false };
    holdDials(release);
    w<QPushButton>("BConn")->click();
    const QImage connecting = iconOnScreen();
    release = true;
    waitForDial();
    const QImage connected = iconOnScreen();

    // The link drops and is redialled: both are announced.
    ASSERT_TRUE(checked("LinkADisc"));
    remoteAccess->setState(5, platform::RemoteAccess::kDisconnected);
    mw.connection().timer2Timer();
    QString bubble = takeBubbleText();
    EXPECT_TRUE(bubble.contains(QStringLiteral("连接中断，正在重新连接..."))) << bubble.toStdString();
    waitForDial();
    bubble = takeBubbleText();
    EXPECT_TRUE(bubble.contains(QStringLiteral("已重新连接"))) << bubble.toStdString();
    EXPECT_TRUE(iconOnScreen() == connected) << "connected again";

    // Without redial the drop stays on the icon.
    w<QCheckBox>("LinkADisc")->setChecked(false);
    remoteAccess->setState(5, platform::RemoteAccess::kDisconnected);
    mw.connection().timer2Timer();
    bubble = takeBubbleText();
    EXPECT_TRUE(bubble.contains(QStringLiteral("连接中断!"))) << bubble.toStdString();
    const QImage dropped = iconOnScreen();

    const std::pair<const char*, QImage> shots[] = { { "idle", idle }, { "connecting", connecting },
        { "connected", connected }, { "dropped", dropped } };
    for (size_t i = 0; i < std::size(shots); ++i) {
        const QImage& shot = shots[i].second;
        EXPECT_NE(shot.pixel(0, 0), shot.pixel(shot.width() / 2, shot.height() / 2))
            << shots[i].first << ": no icon";
        for (size_t j = i + 1; j < std::size(shots); ++j)
            EXPECT_NE(shots[i].second, shots[j].second) << shots[i].first << " looks like " << shots[j].first;
    }
}

TEST_F(TrayTest, WindowAsksForNoMaximise)
{
    MainWindow& mw = start();
    QTest::qWait(50);
    // _MOTIF_WM_HINTS: flags, functions, decorations, ...; maximise is
    // function bit 0x10 and decoration bit 0x40.
    const CommandResult hints = runCommand({ "xprop", "-id", std::to_string(mw.winId()), "_MOTIF_WM_HINTS" },
        { { "DISPLAY", qgetenv("DISPLAY").toStdString() } });
    unsigned flags = 0, functions = 0, decorations = 0;
    const size_t eq = hints.output.find('=');
    ASSERT_NE(eq, std::string::npos) << hints.output;
    ASSERT_EQ(std::sscanf(hints.output.c_str() + eq + 1, " %x, %x, %x", &flags, &functions, &decorations), 3)
        << hints.output;
    EXPECT_TRUE(flags & 1) << "functions given";
    EXPECT_FALSE(functions & 0x10);
    EXPECT_TRUE(flags & 2) << "decorations given";
    EXPECT_FALSE(decorations & 0x40);
    EXPECT_TRUE(functions & 0x08) << "minimise stays";
}
