#include "gui/nodes/node_chooser_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableWidget>
#include "core/cipher/string_cipher.h"
#include "core/nodes/node_selection.h"
#include "gui/client_context.h"
#include "gui/threading/ui_hand_over.h"
#include "gui/vpn/phonebook_controller.h"
#include "gui/widgets/widget_factory.h"

NodeChooserDialog::NodeChooserDialog(ClientContext& ctx, PhonebookController& phonebook, QWidget* parent)
    : QDialog(parent)
    , ctx_(ctx)
    , phonebook_(phonebook)
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
    for (auto [button, name] : { std::pair { RadioButton1, "RadioButton1" },
             std::pair { RadioButton2, "RadioButton2" }, std::pair { RadioButton3, "RadioButton3" } }) {
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
    ListView1->setHorizontalHeaderLabels({ QStringLiteral("服务器节点"), QStringLiteral("状态"),
        QStringLiteral("延时"), QStringLiteral("IP") });
    ListView1->horizontalHeader()->setMinimumSectionSize(1);
    const int widths[] = { 120, 60, 65, 1 };
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
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
        pal.color(QPalette::Active, QPalette::HighlightedText));
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

bool NodeChooserDialog::busy() const
{
    if (*lineTests_ > 0)
        return true;
    return !probes_.empty();
}

NodeListLoader NodeChooserDialog::nodeLoader() const
{
    return [appDir = ctx_.config.paths.appDir, file = ctx_.session.nodeListFile] {
        return loadNodeList(appDir, file);
    };
}

void NodeChooserDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Coming back from minimised is no new showing.
    if (event->spontaneous())
        return;
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
    // The running passes stop at their next node and nothing more of theirs
    // reaches the list, which from now on shows the new line type only. The
    // window never waits for them.
    ++listGeneration_;
    for (auto& [pass, probe] : probes_)
        probe->requestStop();
    ListView1->setRowCount(0);
    startListProbe(lineType);
}

void NodeChooserDialog::startListProbe(int lineType)
{
    // The pass hands its rows to this dialog; they are dropped once it is gone
    // or once another radio choice has taken the list over.
    const unsigned generation = listGeneration_;
    NodeListProbe::Receiver r;
    r.clearList = [this, generation] {
        if (generation == listGeneration_)
            ListView1->setRowCount(0);
    };
    r.addRow = [this, generation](const ListProbeRow& row) {
        if (generation != listGeneration_)
            return;
        const int at = ListView1->rowCount();
        ListView1->insertRow(at);
        const std::string cells[] = { row.name, row.rating, row.delayText, row.address };
        for (int c = 0; c < 4; ++c)
            ListView1->setItem(at, c, new QTableWidgetItem(QString::fromStdString(cells[c])));
    };
    r.selectRow = [this, generation](std::optional<int> row) {
        if (generation == listGeneration_ && row)
            ListView1->selectRow(*row);
    };
    const unsigned pass = ++passes_;
    r.finished = [this, pass] { std::erase_if(probes_, [pass](const auto& p) { return p.first == pass; }); };
    try {
        probes_.emplace_back(pass,
            NodeListProbe::start(
                ctx_.workers, lineType, nodeLoader(), ctx_.services.icmp, this, std::move(r)));
    } catch (const std::system_error&) {
        ctx_.services.messageBoxes->information(ctx_.session.appTitle, "请再次切换选择。");
    }
}

void NodeChooserDialog::startLineTest()
{
    // The test owns what it uses; the suggestion reaches this dialog only
    // while it lives.
    auto ui = UiHandOver::create(this);
    auto choice = ctx_.nodeChoice;
    auto icmp = ctx_.services.icmp;
    auto running = lineTests_;
    ++*running;
    try {
        ctx_.workers.start([this, ui, load = nodeLoader(), choice, icmp, running] {
            struct SignOff {
                std::atomic<int>& count;
                ~SignOff() { --count; }
            } signOff { *running };
            // The same choice as at Connect, without touching the main window.
            const std::optional<AutoSelection> result = selectBestNode(load, *icmp, *choice);
            if (!result)
                return; // no echo could be sent: nothing is suggested
            const bool netcom = result->lineType == 2;
            ui->post([this, netcom] {
                // Selecting runs the radio handler first; the suggestion replaces its note.
                (netcom ? RadioButton1 : RadioButton2)->setChecked(true);
                LineNote->setText(netcom ? QStringLiteral("本地电信线路(建议加速到网通)")
                                         : QStringLiteral("本地网通线路(建议加速到电信)"));
                widgets::setSong9(LineNote);
            });
        });
    } catch (const std::system_error&) {
        --*running;
    }
}

void NodeChooserDialog::button1Click()
{
    const auto selected = ListView1->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        ctx_.services.messageBoxes->information("提示", "您没有选择加速节点!请选择!");
        return;
    }
    try {
        NodeChoice& choice = *ctx_.nodeChoice;
        if (RadioButton2->isChecked()) {
            choice.setLineType(1);
            ctx_.settings.setLineType(1);
            phonebook_.setFullRelay(phonebook_.fullRelayChecked());
        } else if (RadioButton1->isChecked()) {
            choice.setLineType(2);
            ctx_.settings.setLineType(2);
            phonebook_.setFullRelay(phonebook_.fullRelayChecked());
        } else if (RadioButton3->isChecked()) {
            choice.setLineType(3);
            ctx_.settings.setLineType(3);
            phonebook_.setFullRelay(true);
        }
        const int row = selected.first().row();
        const QString name = ListView1->item(row, 0)->text();
        const std::string address = ListView1->item(row, 3)->text().toStdString();
        if (!ctx_.session.vipAccount && isVipNodeName(name.toStdString())) {
            ctx_.services.messageBoxes->information("提示", "您不是VIP用户不能使用VIP节点!请升级到VIP用户!");
            return;
        }
        choice.setServerIp(address);
        emit nodeConfirmed(name);
        ctx_.settings.setServerName(name.toStdString());
        ctx_.settings.setServer(cipher::encryptText(address));
        hide();
    } catch (...) {
        // the confirmation ends silently
    }
}
