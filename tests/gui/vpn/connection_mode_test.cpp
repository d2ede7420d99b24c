#include <QRadioButton>

#include "base/ini_file.h"
#include "tests/gui/main_window_fixture.h"
#include "gui/vpn/connection_mode_dialog.h"

namespace {

class ConnectionModeTest : public MainWindowTest {
protected:
    ConnectionModeDialog& dialog() { return client->connectionModeDialog(); }
    template <typename T> T* d(const char* name) { return dialog().findChild<T*>(QString::fromLatin1(name)); }
    std::string ipPrioritizeRemote()
    {
        return IniFile(client->session().phonebookPath)
            .readString(client->session().entryName, "IpPrioritizeRemote");
    }
};

} // namespace

TEST_F(ConnectionModeTest, DialogShowsTheStoredModeAndOkWritesThePhonebook)
{
    writeSettings("[Main]\r\nMode=3\r\n");
    osInfo->value = { platform::OsVersion::kWindowsNt, 6, 1 };
    start();
    EXPECT_EQ(client->session().entryName, "TUVEKP") << "mode 3 is mode one at start-up";
    EXPECT_EQ(text("Linkmodev"), "自动");
    EXPECT_TRUE(fileExists(systemTemp.file("TUVEKP.sys")));

    dialog().show();
    EXPECT_EQ(dialog().windowTitle(), QStringLiteral("连接模式"));
    EXPECT_TRUE(d<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(d<QRadioButton>("RadioButton1")->isEnabled());
    EXPECT_TRUE(d<QRadioButton>("RadioButton2")->isChecked()) << "a stored mode other than 1 shows mode two";

    // OK with "自动" ticked applies the mode the dialog showed.
    d<QPushButton>("Button1")->click();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(client->session().entryName, "TUVEKL");
    EXPECT_EQ(text("Linkmodev"), "模式二");
    EXPECT_EQ(client->mainWindow().settings().mode(), 2);
    EXPECT_TRUE(fileExists(systemTemp.file("TUVEKL.sys")));
    EXPECT_EQ(ipPrioritizeRemote(), "0") << "full relay follows the unticked box";

    // Untick "自动", pick mode one.
    dialog().show();
    d<QCheckBox>("CheckBox1")->click();
    EXPECT_TRUE(d<QRadioButton>("RadioButton1")->isEnabled());
    d<QRadioButton>("RadioButton1")->setChecked(true);
    d<QPushButton>("Button1")->click();
    EXPECT_EQ(client->session().entryName, "TUVEKP");
    EXPECT_EQ(text("Linkmodev"), "模式一");
    EXPECT_EQ(client->mainWindow().settings().mode(), 1);
}

TEST_F(ConnectionModeTest, FullRelayBoxRewritesOnlyItsKey)
{
    start();
    const std::string before = readBytes(client->session().phonebookPath);
    w<QCheckBox>("IsServer")->setChecked(true);
    EXPECT_EQ(ipPrioritizeRemote(), "1");
    EXPECT_TRUE(client->mainWindow().settings().isServer());
    w<QCheckBox>("IsServer")->setChecked(false);
    EXPECT_EQ(ipPrioritizeRemote(), "0");
    EXPECT_EQ(readBytes(client->session().phonebookPath), before) << "back to the template's bytes";
}

TEST_F(ConnectionModeTest, LineTypeThreeForcesFullRelayAtStartUp)
{
    writeSettings("[Main]\r\nLineType=3\r\nIsServer=0\r\n");
    start();
    EXPECT_EQ(ipPrioritizeRemote(), "1");
    EXPECT_FALSE(checked("IsServer"));
}

TEST_F(MainWindowTest, ModeDialogRestoredFromMinimisedKeepsTheUsersChoice)
{
    writeSettings("[Main]\r\nMode=1\r\n");
    start();
    QDialog& dialog = client->connectionModeDialog();
    dialog.show();
    auto* two = dialog.findChild<QRadioButton*>("RadioButton2");
    two->setChecked(true); // chosen, not yet confirmed
    dialog.showMinimized();
    dialog.showNormal();
    EXPECT_TRUE(two->isChecked());
}
