#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include "core/cipher/string_cipher.h"
#include "gui/nodes/node_chooser_dialog.h"
#include "tests/gui/main_window_fixture.h"

namespace {

struct Node {
    int lineType;
    std::string address;
    std::string name;
    int right = 1;
};

class NodeChooserTest : public MainWindowTest {
protected:
    void writeNodes(const std::vector<Node>& nodes, const char* file = "Free.INI")
    {
        std::string ini = "[head]\r\nnodecount=" + std::to_string(nodes.size()) + "\r\n";
        for (size_t i = 0; i < nodes.size(); ++i)
            ini += "[node" + std::to_string(i + 1) + "]\r\nlinetype=" + std::to_string(nodes[i].lineType)
                + "\r\nip=" + (nodes[i].address.empty() ? "" : cipher::encryptText(nodes[i].address))
                + "\r\nnodename=" + nodes[i].name + "\r\nright=" + std::to_string(nodes[i].right) + "\r\n";
        writeBytes(appDir.file(file), platform::utf8ToGbk(ini));
    }
    NodeChooserDialog& chooser() { return client->nodeChooser(); }
    template <typename T = QWidget> T* d(const char* name)
    {
        T* found = chooser().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QTableWidget* list() { return d<QTableWidget>("ListView1"); }
    void settle()
    {
        for (int i = 0; i < 600; ++i) {
            QTest::qWait(5);
            if (!chooser().busy())
                break;
        }
        QTest::qWait(20);
    }
    bool anyProbeRunning() { return probeBusy; }
    bool probeBusy = false;
    std::vector<std::vector<std::string>> rows()
    {
        std::vector<std::vector<std::string>> out;
        for (int r = 0; r < list()->rowCount(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < 4; ++c)
                row.push_back(list()->item(r, c)->text().toStdString());
            out.push_back(row);
        }
        return out;
    }
    int selectedRow()
    {
        const auto sel = list()->selectionModel()->selectedRows();
        return sel.isEmpty() ? -1 : sel.first().row();
    }
    // Shows the dialog without the automatic test and picks a line type.
    void pick(const char* radio)
    {
        d<QCheckBox>("CheckBox1")->setChecked(false);
        chooser().show();
        d<QRadioButton>(radio)->setChecked(true);
        QTest::qWait(50);
        settle();
    }
};

} // namespace

TEST_F(NodeChooserTest, DialogControls)
{
    start();
    NodeChooserDialog& c = chooser();
    EXPECT_EQ(c.windowTitle(), QStringLiteral("选择节点"));
    EXPECT_EQ(c.size(), QSize(267, 350));
    EXPECT_TRUE(c.windowFlags() & Qt::Tool);
    EXPECT_TRUE(d<QCheckBox>("CheckBox1")->isChecked());
    for (const char* r : { "RadioButton1", "RadioButton2", "RadioButton3" })
        EXPECT_FALSE(d<QRadioButton>(r)->isChecked()) << r;
    EXPECT_EQ(d<QRadioButton>("RadioButton1")->text(), QStringLiteral("网通"));
    EXPECT_EQ(d<QRadioButton>("RadioButton2")->text(), QStringLiteral("电信"));
    EXPECT_EQ(d<QRadioButton>("RadioButton3")->text(), QStringLiteral("其他"));
    const int widths[] = { 120, 60, 65, 1 };
    const char* headers[] = { "服务器节点", "状态", "延时", "IP" };
    for (int col = 0; col < 4; ++col) {
        EXPECT_EQ(list()->columnWidth(col), widths[col]);
        EXPECT_EQ(list()->horizontalHeaderItem(col)->text().toStdString(), headers[col]);
    }
    EXPECT_TRUE(list()->showGrid());
    EXPECT_EQ(list()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list()->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list()->palette().color(QPalette::Text), QColor(0, 128, 0));
}

TEST_F(NodeChooserTest, RatingsAndTheBestRow)
{
    writeNodes({ { 1, "10.0.0.1", "a" }, { 1, "10.0.0.2", "b" }, { 1, "10.0.0.3", "c" },
        { 1, "10.0.0.4", "d" }, { 1, "10.0.0.5", "e" }, { 1, "10.0.0.6", "f" },
        { 2, "10.0.1.1", "other type" }, { 1, "", "no address" } });
    icmp->setDelays({ { "10.0.0.1", "100" }, { "10.0.0.2", "101" }, { "10.0.0.3", "200" },
        { "10.0.0.4", "201" }, { "10.0.0.5", "399" }, { "10.0.0.6", "400" } });
    start();
    pick("RadioButton2");
    EXPECT_EQ(text("LocalLineTypev"), "自动");
    EXPECT_EQ(d<QLabel>("LineNote")->text(), QStringLiteral("手动选择加速到电信"));
    const auto r = rows();
    ASSERT_EQ(r.size(), 7u);
    const char* ratings[] = { "优", "良", "良", "一般", "一般", "未知", "优" };
    for (size_t i = 0; i < r.size(); ++i)
        EXPECT_EQ(r[i][1], ratings[i]) << i;
    EXPECT_EQ(r[6], (std::vector<std::string> { "no address", "优", "0", "" }));
    EXPECT_EQ(selectedRow(), 0) << "100 is the smallest non-zero delay";
}

TEST_F(NodeChooserTest, BestRowRuleAndEmptyLineType)
{
    writeNodes(
        { { 2, "10.0.0.1", "a" }, { 2, "10.0.0.2", "b" }, { 2, "10.0.0.3", "c" }, { 2, "10.0.0.4", "d" } });
    icmp->setDelays(
        { { "10.0.0.1", "0" }, { "10.0.0.2", "120" }, { "10.0.0.3", "80" }, { "10.0.0.4", "80" } });
    start();
    pick("RadioButton1");
    EXPECT_EQ(selectedRow(), 2) << "the first 80";
    icmp->setDelays({ { "10.0.0.1", "0" }, { "10.0.0.2", "0" }, { "10.0.0.3", "0" }, { "10.0.0.4", "0" } });
    d<QRadioButton>("RadioButton2")->setChecked(true);
    d<QRadioButton>("RadioButton1")->setChecked(true);
    settle();
    EXPECT_EQ(selectedRow(), 0) << "all zero: the first row";
    d<QRadioButton>("RadioButton3")->setChecked(true);
    settle();
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(selectedRow(), -1);
}

TEST_F(NodeChooserTest, SwitchingWhileAProbeRunsShowsOnlyTheNewType)
{
    std::vector<Node> nodes;
    for (int i = 1; i <= 6; ++i)
        nodes.push_back({ 2, "10.0.2." + std::to_string(i), "netcom" + std::to_string(i) });
    nodes.push_back({ 1, "10.0.1.1", "telecom1" });
    writeNodes(nodes);
    icmp->sleepMs = 30;
    start();
    d<QCheckBox>("CheckBox1")->setChecked(false);
    chooser().show();
    d<QRadioButton>("RadioButton1")->setChecked(true);
    QTest::qWait(50); // the netcom pass is under way
    ASSERT_FALSE(rows().empty());
    const auto before = std::chrono::steady_clock::now();
    d<QRadioButton>("RadioButton2")->setChecked(true);
    // A wait for the netcom pass would last for its remaining nodes, 30 ms each.
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(100))
        << "the window never waits";
    EXPECT_TRUE(rows().empty()) << "no netcom row can be confirmed under 电信";
    for (int i = 0; i < 200 && (rows().size() != 1 || rows()[0][0] != "telecom1"); ++i)
        QTest::qWait(10);
    QTest::qWait(100);
    const auto r = rows();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][0], "telecom1");

    // 网通, 电信 and 网通 again in quick succession: never a wait, and in the
    // end the netcom rows of one pass only.
    d<QRadioButton>("RadioButton1")->setChecked(true);
    QTest::qWait(40);
    const auto quick = std::chrono::steady_clock::now();
    d<QRadioButton>("RadioButton2")->setChecked(true);
    d<QRadioButton>("RadioButton1")->setChecked(true);
    EXPECT_LT(std::chrono::steady_clock::now() - quick, std::chrono::milliseconds(100));
    settle();
    const auto last = rows();
    ASSERT_EQ(last.size(), 6u);
    for (size_t i = 0; i < last.size(); ++i)
        EXPECT_EQ(last[i][0], "netcom" + std::to_string(i + 1));
}

TEST_F(NodeChooserTest, ClickingTheSelectedRadioButtonStartsNothing)
{
    writeNodes({ { 1, "10.0.0.1", "a" } });
    start();
    pick("RadioButton2");
    const size_t probes = icmp->probed.size();
    d<QRadioButton>("RadioButton2")->click();
    settle();
    EXPECT_EQ(icmp->probed.size(), probes);
}

TEST_F(NodeChooserTest, ConfirmationSavesTheChoice)
{
    writeNodes({ { 1, "10.0.0.1", "电信1" }, { 1, "10.0.0.2", "电信VIP" } });
    start();
    pick("RadioButton2");
    list()->selectRow(0);
    d<QPushButton>("Button1")->click();
    EXPECT_FALSE(chooser().isVisible());
    EXPECT_EQ(client->nodeChoice().serverIp(), "10.0.0.1");
    EXPECT_EQ(client->nodeChoice().lineType(), 1);
    EXPECT_EQ(text("LocalLineTypev"), "电信1");
    const Settings& s = client->mainWindow().settings();
    EXPECT_EQ(s.lineType(), 1);
    EXPECT_EQ(s.serverName(), "电信1");
    EXPECT_EQ(cipher::decryptText(s.server()), "10.0.0.1");
}

TEST_F(NodeChooserTest, FreeAccountIsRefusedAVipNodeButTheLineTypeIsSaved)
{
    writeNodes({ { 2, "10.0.0.9", "网通vIp专线" } });
    start();
    pick("RadioButton1");
    list()->selectRow(0);
    d<QPushButton>("Button1")->click();
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].title, "提示");
    EXPECT_EQ(boxes->shown[0].text, "您不是VIP用户不能使用VIP节点!请升级到VIP用户!");
    EXPECT_TRUE(chooser().isVisible());
    const Settings& s = client->mainWindow().settings();
    EXPECT_EQ(s.lineType(), 2);
    EXPECT_EQ(client->nodeChoice().lineType(), 2);
    EXPECT_EQ(s.serverName(), "");
    EXPECT_EQ(client->nodeChoice().serverIp(), "127.0.0.1");
    EXPECT_EQ(text("LocalLineTypev"), "自动");
}

TEST_F(NodeChooserTest, OtherLinesForceFullRelayAndNoRowShowsTheNotice)
{
    writeNodes({ { 3, "10.0.3.1", "铁通" } });
    start();
    pick("RadioButton3");
    list()->clearSelection();
    d<QPushButton>("Button1")->click();
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, "您没有选择加速节点!请选择!");
    EXPECT_EQ(client->mainWindow().settings().lineType(), 0) << "nothing saved";

    list()->selectRow(0);
    d<QPushButton>("Button1")->click();
    EXPECT_FALSE(checked("IsServer"));
    const IniFile phonebook(client->session().phonebookPath);
    EXPECT_EQ(phonebook.readString(client->session().entryName, "IpPrioritizeRemote"), "1");
}

TEST_F(NodeChooserTest, AutomaticTestSuggestsALineTypeAndKeepsItsNode)
{
    writeNodes({ { 1, "10.0.1.1", "t1" }, { 1, "10.0.1.2", "t2" }, { 2, "10.0.2.1", "n1" } });
    icmp->setDelays({ { "10.0.1.1", "40" }, { "10.0.1.2", "50" }, { "10.0.2.1", "10" } });
    start();
    chooser().show(); // the box is ticked: the test starts
    settle();
    EXPECT_TRUE(d<QRadioButton>("RadioButton1")->isChecked()) << "netcom scores lower";
    EXPECT_EQ(d<QLabel>("LineNote")->text(), QStringLiteral("本地电信线路(建议加速到网通)"));
    EXPECT_EQ(client->nodeChoice().lineType(), 2);
    EXPECT_EQ(client->nodeChoice().serverIp(), "10.0.2.1");
    chooser().hide(); // closed without confirming
    EXPECT_EQ(text("LocalLineTypev"), "自动");
    EXPECT_EQ(client->mainWindow().settings().lineType(), 0);

    icmp->setDelays({ { "10.0.1.1", "5" }, { "10.0.1.2", "6" }, { "10.0.2.1", "90" } });
    chooser().show();
    settle();
    EXPECT_TRUE(d<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_EQ(d<QLabel>("LineNote")->text(), QStringLiteral("本地网通线路(建议加速到电信)"));
    EXPECT_EQ(client->nodeChoice().lineType(), 1);
}

TEST_F(NodeChooserTest, RestoringFromMinimisedIsNoNewShowing)
{
    writeNodes({ { 1, "10.0.0.1", "a" }, { 2, "10.0.0.2", "b" } });
    start();
    chooser().show(); // the box is ticked: one automatic test
    settle();
    const size_t probes = icmp->probed.size();
    ASSERT_GT(probes, 0u);
    chooser().showMinimized();
    chooser().showNormal();
    settle();
    EXPECT_EQ(icmp->probed.size(), probes) << "no second test";
    // Hidden and shown again is a new showing.
    chooser().hide();
    chooser().show();
    settle();
    EXPECT_GT(icmp->probed.size(), probes);
}
