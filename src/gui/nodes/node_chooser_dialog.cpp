#include "gui/nodes/node_chooser_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <atomic>
#include <thread>

#include "core/cipher/string_cipher.h"
#include "core/nodes/node_selection.h"

namespace {

std::atomic<int> lineTests{0};

QFont song9(QFont f)
{
    f.setFamily(QStringLiteral("宋体"));
    f.setPointSize(9);
    return f;
}

}  // namespace

NodeChooserDialog::NodeChooserDialog(Session& session, NodeChoice& nodeChoice, const Settings& settings,
                                     platform::IcmpProbe& icmp, MessageBoxes& messageBoxes, std::string appDir,
                                     MainWindowHooks hooks, QWidget* parent)
    : QDialog(parent),
      session_(session),
      nodeChoice_(nodeChoice),
      settings_(settings),
      icmp_(icmp),
      messageBoxes_(messageBoxes),
      appDir_(std::move(appDir)),
      hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("选择节点"));
    setWindowFlags(Qt::Tool);
    setFixedSize(267, 350);

    CheckBox1 = new QCheckBox(QStringLiteral("自动选择"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(10, 6, 120, 20);
    CheckBox1->setChecked(true);
    LineNote = new QLabel(this);
    LineNote->setObjectName(QStringLiteral("LineNote"));
    LineNote->setGeometry(10, 28, 250, 18);

    auto* group = new QGroupBox(QStringLiteral("选择加速到"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(8, 48, 251, 48);
    RadioButton1 = new QRadioButton(QStringLiteral("网通"), group);
    RadioButton2 = new QRadioButton(QStringLiteral("电信"), group);
    RadioButton3 = new QRadioButton(QStringLiteral("其他"), group);
    int x = 14;
    for (auto [button, name] : {std::pair{RadioButton1, "RadioButton1"}, std::pair{RadioButton2, "RadioButton2"},
                                std::pair{RadioButton3, "RadioButton3"}}) {
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(x, 20, 70, 20);
        x += 80;
    }

    Label1 = new QLabel(QStringLiteral("手动选择加速节点:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(10, 100, 250, 18);

    ListView1 = new QTableWidget(0, 4, this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(8, 120, 251, 186);
    ListView1->setHorizontalHeaderLabels(
        {QStringLiteral("服务器节点"), QStringLiteral("状态"), QStringLiteral("延时"), QStringLiteral("IP")});
    ListView1->horizontalHeader()->setMinimumSectionSize(1);
    const int widths[] = {120, 60, 65, 1};
    for (int c = 0; c < 4; ++c)
        ListView1->setColumnWidth(c, widths[c]);
    ListView1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->hide();
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette pal = ListView1->palette();
    pal.setColor(QPalette::Text, QColor(0, 128, 0));
    // The selection stays visible when the list has no focus.
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    ListView1->setPalette(pal);

    Button1 = new QPushButton(QStringLiteral("确定"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(96, 314, 75, 28);

    connect(CheckBox1, &QCheckBox::clicked, this, &NodeChooserDialog::checkBox1Click);
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            radioButtonClick(2, "手动选择加速到网通");
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            radioButtonClick(1, "手动选择加速到电信");
    });
    connect(RadioButton3, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            radioButtonClick(3, "手动选择加速到其他线路");
    });
    connect(Button1, &QPushButton::clicked, this, &NodeChooserDialog::button1Click);
}

NodeChooserDialog::~NodeChooserDialog() = default;

int NodeChooserDialog::lineTestsRunning()
{
    return lineTests;
}

NodeList NodeChooserDialog::loadNodes() const
{
    return loadNodeList(appDir_, session_.nodeListFile);
}

void NodeChooserDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* s = screen())
        move(s->geometry().center() - rect().center());
    formShow();
}

void NodeChooserDialog::formShow()
{
    if (CheckBox1->isChecked())
        startLineTest();
}

void NodeChooserDialog::checkBox1Click()
{
    // Clearing the box does not stop a running test.
    if (CheckBox1->isChecked())
        startLineTest();
}

void NodeChooserDialog::radioButtonClick(int lineType, const char* note)
{
    LineNote->setText(QString::fromUtf8(note));
    // The other line types' passes stop; the new pass starts once every
    // stopped one has handed over its last row, so none of their rows can land
    // after the new pass has cleared the list. The window never waits.
    for (auto& p : probes_)
        if (p->lineType() != lineType && p->running())
            p->requestStop();
    pendingLineType_ = lineType;
    startPendingProbe();
}

void NodeChooserDialog::startPendingProbe()
{
    if (!pendingLineType_)
        return;
    std::erase_if(probes_, [](const auto& p) { return !p->running(); });
    const int lineType = *pendingLineType_;
    for (const auto& p : probes_)
        if (p->lineType() != lineType)
            return;  // still ending; its finished() comes back here
    pendingLineType_.reset();
    // The latest pass of the same line type is replaced.
    std::erase_if(probes_, [lineType](const auto& p) { return p->lineType() == lineType; });

    QPointer<NodeChooserDialog> self(this);
    NodeListProbe::Receiver r;
    r.clearList = [self] {
        if (self)
            self->ListView1->setRowCount(0);
    };
    r.addRow = [self](const ListProbeRow& row) {
        if (!self)
            return;
        QTableWidget* list = self->ListView1;
        const int at = list->rowCount();
        list->insertRow(at);
        const std::string cells[] = {row.name, row.rating, row.delayText, row.address};
        for (int c = 0; c < 4; ++c)
            list->setItem(at, c, new QTableWidgetItem(QString::fromStdString(cells[c])));
    };
    r.selectRow = [self](std::optional<int> row) {
        if (self && row)
            self->ListView1->selectRow(*row);
    };
    r.finished = [self] {
        if (self)
            self->startPendingProbe();
    };
    try {
        const std::string appDir = appDir_;
        const std::string file = session_.nodeListFile;
        probes_.push_back(std::make_unique<NodeListProbe>(
            lineType, [appDir, file] { return loadNodeList(appDir, file); }, icmp_, this, std::move(r)));
    } catch (const std::system_error&) {
        messageBoxes_.information(session_.appTitle, "请再次切换选择。");
    }
}

void NodeChooserDialog::startLineTest()
{
    const std::string appDir = appDir_;
    const std::string file = session_.nodeListFile;
    QPointer<NodeChooserDialog> self(this);
    NodeChoice& choice = nodeChoice_;
    platform::IcmpProbe& icmp = icmp_;
    ++lineTests;
    try {
        std::thread([self, appDir, file, &choice, &icmp] {
            try {
                const NodeListLoader load = [appDir, file] { return loadNodeList(appDir, file); };
                SelectionState state;
                const int score1 = probeLineType(1, state, load, icmp, choice);
                const int score2 = probeLineType(2, state, load, icmp, choice);
                const bool netcom = score2 < score1;
                choice.setLineType(netcom ? 2 : 1);
                if (QObject* target = self.data())
                    QMetaObject::invokeMethod(
                        target,
                        [self, netcom] {
                            if (!self)
                                return;
                            // Selecting runs the radio handler first; the suggestion replaces its note.
                            (netcom ? self->RadioButton1 : self->RadioButton2)->setChecked(true);
                            self->LineNote->setText(netcom ? QStringLiteral("本地电信线路(建议加速到网通)")
                                                           : QStringLiteral("本地网通线路(建议加速到电信)"));
                            self->LineNote->setFont(song9(self->LineNote->font()));
                        },
                        Qt::QueuedConnection);
            } catch (...) {
            }
            --lineTests;
        }).detach();
    } catch (const std::system_error&) {
        --lineTests;
    }
}

void NodeChooserDialog::button1Click()
{
    const auto selected = ListView1->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        messageBoxes_.information("提示", "您没有选择加速节点!请选择!");
        return;
    }
    try {
        if (RadioButton2->isChecked()) {
            nodeChoice_.setLineType(1);
            settings_.setLineType(1);
            hooks_.setFullRelay(hooks_.fullRelayChecked());
        } else if (RadioButton1->isChecked()) {
            nodeChoice_.setLineType(2);
            settings_.setLineType(2);
            hooks_.setFullRelay(hooks_.fullRelayChecked());
        } else if (RadioButton3->isChecked()) {
            nodeChoice_.setLineType(3);
            settings_.setLineType(3);
            hooks_.setFullRelay(true);
        }
        const int row = selected.first().row();
        const std::string name = ListView1->item(row, 0)->text().toStdString();
        const std::string address = ListView1->item(row, 3)->text().toStdString();
        if (!session_.vipAccount && isVipNodeName(name)) {
            messageBoxes_.information("提示", "您不是VIP用户不能使用VIP节点!请升级到VIP用户!");
            return;
        }
        nodeChoice_.setServerIp(address);
        hooks_.showChosenNode(name);
        settings_.setServerName(name);
        settings_.setServer(cipher::encryptText(address));
        hide();
    } catch (...) {
        // the confirmation ends silently
    }
}
