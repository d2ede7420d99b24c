#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

#include "tests/gui/main_window_fixture.h"

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
};

} // namespace

TEST_F(TrayTest, IconMenuHideAndRestore)
{
    MainWindow& mw = start();
    ASSERT_NE(tray(), nullptr);
    EXPECT_TRUE(tray()->isVisible());
    EXPECT_EQ(tray()->toolTip(), QStringLiteral("Zavtrel"));
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
