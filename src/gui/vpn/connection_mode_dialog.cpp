#include "gui/vpn/connection_mode_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>

#include "gui/client_context.h"
#include "gui/vpn/phonebook_controller.h"

namespace {

template <typename W> W* make(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* w = new W(QString::fromUtf8(text), parent);
    if (name)
        w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

} // namespace

ConnectionModeDialog::ConnectionModeDialog(
    ClientContext& ctx, PhonebookController& phonebook, QWidget* parent)
    : QDialog(parent)
    , ctx_(ctx)
    , phonebook_(phonebook)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("连接模式"));
    setWindowFlags(Qt::Tool);
    setFixedSize(260, 250);

    auto* choose = make<QGroupBox>(this, "ModeGroup", "选择连接模式", { 8, 6, 244, 92 });
    CheckBox1 = make<QCheckBox>(choose, "CheckBox1", "自动", { 12, 22, 80, 20 });
    CheckBox1->setChecked(true);
    RadioButton1 = make<QRadioButton>(choose, "RadioButton1", "模式一", { 12, 50, 80, 20 });
    RadioButton1->setChecked(true);
    RadioButton2 = make<QRadioButton>(choose, "RadioButton2", "模式二", { 100, 50, 80, 20 });
    RadioButton1->setEnabled(false);
    RadioButton2->setEnabled(false);
    Button1 = make<QPushButton>(choose, "Button1", "确定", { 180, 46, 56, 26 });

    auto* notes = make<QGroupBox>(this, "NoteGroup", "模式说明", { 8, 104, 244, 138 });
    make<QLabel>(notes, "Label1", "模式一：", { 12, 22, 220, 18 });
    auto* l2 = make<QLabel>(notes, "Label2", "连接、挂断速度快，要求防火墙支持。", { 24, 42, 210, 34 });
    make<QLabel>(notes, "Label3", "模式二：", { 12, 78, 220, 18 });
    auto* l4 = make<QLabel>(notes, "Label4", "穿透能力强，防止网络闪断。", { 24, 98, 210, 34 });
    l2->setWordWrap(true);
    l4->setWordWrap(true);

    connect(CheckBox1, &QCheckBox::clicked, this, &ConnectionModeDialog::checkBox1Click);
    connect(Button1, &QPushButton::clicked, this, &ConnectionModeDialog::button1Click);
}

void ConnectionModeDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Coming back from minimised is no new showing.
    if (event->spontaneous())
        return;
    if (const QScreen* s = screen())
        move(s->geometry().center() - rect().center());
    formShow();
}

void ConnectionModeDialog::formShow()
{
    if (ctx_.settings.mode() == 1)
        RadioButton1->setChecked(true);
    else
        RadioButton2->setChecked(true);
}

void ConnectionModeDialog::checkBox1Click()
{
    const bool automatic = CheckBox1->isChecked();
    RadioButton1->setEnabled(!automatic);
    RadioButton2->setEnabled(!automatic);
}

void ConnectionModeDialog::button1Click()
{
    // With "自动" ticked OK applies the mode that showing selected.
    const int mode = RadioButton1->isChecked() ? 1 : 2;
    hide();
    phonebook_.applyConnectionMode(mode);
}
