#include "gui/connection/connection_page.h"

#include <QGroupBox>

#include "gui/widgets/widget_factory.h"

using namespace widgets;

ConnectionPage::ConnectionPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Mainpanel"));
    setGeometry(30, 126, 224, 402);

    AccelGroup = make<QGroupBox>(this, "AccelGroup", { 2, 0, 220, 206 });
    AccelGroup->setTitle(QStringLiteral("加速设置"));
    LocalIP = label(AccelGroup, "LocalIP", "本地IP：", { 10, 20, 62, 18 });
    Localipv = label(AccelGroup, "Localipv", "127.0.0.1", { 74, 20, 136, 18 });
    ShowLine = label(AccelGroup, "ShowLine", "", { 10, 42, 200, 18 });
    LocalLineType = label(AccelGroup, "LocalLineType", "加速节点：", { 10, 66, 62, 18 });
    // Room for a node name such as "自动-电信VIP一号"; a longer one is cut short.
    LocalLineTypev = elidedLabel(AccelGroup, "LocalLineTypev", "自动", { 74, 66, 96, 18 });
    SetLine = button(AccelGroup, "SetLine", "设置", { 172, 63, 40, 23 });
    LinkMode = label(AccelGroup, "LinkMode", "连接模式：", { 10, 94, 62, 18 });
    Linkmodev = label(AccelGroup, "Linkmodev", "自动", { 74, 94, 96, 18 });
    SetLinkMode = button(AccelGroup, "SetLinkMode", "设置", { 172, 91, 40, 23 });
    AutoConn = checkBox(AccelGroup, "AutoConn", "自动连接", false, { 10, 122, 96, 20 });
    LinkADisc = checkBox(AccelGroup, "LinkADisc", "断线自动重连", false, { 108, 122, 106, 20 });
    IsServer = checkBox(AccelGroup, "IsServer", "完全中转模式", false, { 10, 146, 200, 20 });
    LineNet = label(AccelGroup, "LineNet", "", { 10, 176, 200, 18 });
    LineNet->setAlignment(Qt::AlignCenter);

    TrafficGroup = make<QGroupBox>(this, "TrafficGroup", { 2, 214, 220, 104 });
    TrafficGroup->setTitle(QStringLiteral("流量统计"));
    ConnState = label(TrafficGroup, "ConnState", "流量信息：", { 10, 20, 80, 18 });
    Label1 = label(TrafficGroup, "Label1", "发送", { 20, 42, 36, 18 });
    Lxmit = label(TrafficGroup, "Lxmit", "0", { 58, 42, 110, 18 });
    Lkb1 = label(TrafficGroup, "Lkb1", "KB", { 172, 42, 30, 18 });
    Label2 = label(TrafficGroup, "Label2", "接收", { 20, 62, 36, 18 });
    LRecv = label(TrafficGroup, "LRecv", "0", { 58, 62, 110, 18 });
    Lkb2 = label(TrafficGroup, "Lkb2", "KB", { 172, 62, 30, 18 });
    for (QLabel* l : { Lxmit, LRecv })
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Linktime = label(TrafficGroup, "Linktime", "连接时间：", { 10, 82, 70, 18 });
    Linktimev = label(TrafficGroup, "Linktimev", "00:00:00", { 82, 82, 100, 18 });

    lblStatus = label(this, "lblStatus", "未连接...", { 2, 326, 220, 20 });
    lblStatus->setAlignment(Qt::AlignCenter);
    QPalette green = lblStatus->palette();
    green.setColor(QPalette::WindowText, kStatusGreen);
    lblStatus->setPalette(green);
    BConn = button(this, "BConn", "连接", { 74, 352, 76, 30 });
    BConn->setDefault(true);
    // Ends where the buttons above end, with room around its caption.
    AutoT = button(this, "AutoT", "自助踢号", { 154, 354, 60, 26 });
    AutoT->hide();
}

void ConnectionPage::setStatus(const QString& text, const QColor& colour)
{
    QPalette p = lblStatus->palette();
    p.setColor(QPalette::WindowText, colour);
    lblStatus->setPalette(p);
    lblStatus->setText(text);
    lblStatus->repaint();
}
