// Widget construction of the main window: names, captions, design-time state
// and placement. Behaviour lives in main_window.cpp.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "gui/widgets/gradient_picture.h"
#include "gui/widgets/image_button.h"
#include "gui/main_window.h"

namespace {

template <typename W>
W* make(QWidget* parent, const char* name, QRect geometry)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

QLabel* label(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* l = make<QLabel>(parent, name, geometry);
    l->setText(QString::fromUtf8(text));
    return l;
}

QLabel* linkLabel(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* l = label(parent, name, text, geometry);
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

QLabel* picture(QWidget* parent, const char* name, const char* resource, QRect geometry)
{
    auto* l = make<QLabel>(parent, name, geometry);
    l->setPixmap(QPixmap(QString::fromLatin1(resource)));
    l->setScaledContents(true);
    return l;
}

QLabel* background(QWidget* parent, const char* name, GradientPicture::Style style)
{
    auto* l = new GradientPicture(style, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(0, 0, 256, 600);
    return l;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* text, bool checked, QRect geometry)
{
    auto* c = make<QCheckBox>(parent, name, geometry);
    c->setText(QString::fromUtf8(text));
    c->setChecked(checked);
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* b = make<QPushButton>(parent, name, geometry);
    b->setText(QString::fromUtf8(text));
    return b;
}

QAction* menuItem(QMenu* menu, const char* name, const char* text, bool enabled)
{
    auto* a = menu->addAction(QString::fromUtf8(text));
    a->setObjectName(QString::fromLatin1(name));
    a->setEnabled(enabled);
    return a;
}

QTimer* timer(QObject* parent, const char* name, int intervalMs)
{
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(intervalMs);
    return t;
}

}  // namespace

void MainWindow::buildUi()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZavtrelV2.9"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(256, 600);
    setWindowIcon(QIcon(QStringLiteral(":/images/app_icon.png")));
    setStyleSheet(QStringLiteral(
        "QLineEdit { lineedit-password-character: 42; border: 1px solid #7a9cc6; border-radius: 3px;"
        " padding: 1px 4px; background: white; }"
        "#LoginPanel QLabel, #LoginPanel QCheckBox { color: white; }"
        "#LoginPanel #Loginstatelb { color: #ffe08a; }"
        "#Viplabel { color: yellow; }"
        "#Panel1 #FreeUlb, #Panel1 #Usernamelb, #Panel1 #Balancelb, #Panel1 #Balancevlb,"
        " #Panel1 #Expirelb, #Panel1 #Expirevlb, #Userlabel, #Servicelabel, #Helplabel { color: white; }"
        "QGroupBox { border: 1px solid #9db4d6; border-radius: 4px; margin-top: 8px; background: #f4f8fd; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #1d4f91; }"));

    buildLoginPanel();
    buildLoggedInPanel();
    buildMenuAndTimers();
}

void MainWindow::buildLoginPanel()
{
    LoginPanel = make<QWidget>(this, "LoginPanel", {0, 0, 256, 600});
    Image2 = background(LoginPanel, "Image2", GradientPicture::Style::Login);
    Image3 = picture(LoginPanel, "Image3", ":/images/logo.png", {28, 48, 200, 64});

    Label9 = label(LoginPanel, "Label9", "通行证：", {22, 160, 56, 22});
    Username = make<QLineEdit>(LoginPanel, "Username", {80, 160, 150, 24});
    Label10 = label(LoginPanel, "Label10", "密码：", {22, 196, 56, 22});
    PassWord = make<QLineEdit>(LoginPanel, "PassWord", {80, 196, 150, 24});
    PassWord->setEchoMode(QLineEdit::Password);

    BsLogin = make<ImageButton>(LoginPanel, "BsLogin", {30, 238, 90, 30});
    BsLogin->setPicture(QPixmap(QStringLiteral(":/images/logina.bmp")));
    BsReg = make<ImageButton>(LoginPanel, "BsReg", {136, 238, 90, 30});
    BsReg->setPicture(QPixmap(QStringLiteral(":/images/rega.bmp")));

    Saveuserck = checkBox(LoginPanel, "Saveuserck", "保存我的帐户信息", true, {36, 284, 190, 22});
    SavePassck = checkBox(LoginPanel, "SavePassck", "记住我的密码", true, {36, 308, 190, 22});
    AutoLoginck = checkBox(LoginPanel, "AutoLoginck", "设置为自动登陆", false, {36, 332, 190, 22});

    Loginstatelb = label(LoginPanel, "Loginstatelb", "", {22, 364, 212, 120});
    Loginstatelb->setWordWrap(true);
    Loginstatelb->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblContent = linkLabel(LoginPanel, "lblContent", "最新公告内容", {22, 492, 212, 20});
    lblContent->hide();

    Yinsilb = linkLabel(LoginPanel, "Yinsilb", "快速充值", {22, 522, 60, 18});
    lbDuihuanshijian = linkLabel(LoginPanel, "lbDuihuanshijian", "兑换时间", {96, 522, 60, 18});
    ForgetPwlb = linkLabel(LoginPanel, "ForgetPwlb", "忘记密码了?", {166, 522, 76, 18});
    Image5 = picture(LoginPanel, "Image5", ":/images/contact.png", {22, 550, 18, 18});
    Image5->setCursor(Qt::PointingHandCursor);
    ContactQQ = linkLabel(LoginPanel, "ContactQQ", "联系客服", {44, 550, 80, 18});
    Boxgmlb = linkLabel(LoginPanel, "Boxgmlb", "Zavtrel 网络加速服务", {22, 576, 212, 18});
    Boxgmlb->setAlignment(Qt::AlignCenter);

    // Tab order: user name, password, login button, then the three boxes.
    setTabOrder(Username, PassWord);
    setTabOrder(PassWord, BsLogin);
    setTabOrder(BsLogin, Saveuserck);
    setTabOrder(Saveuserck, SavePassck);
    setTabOrder(SavePassck, AutoLoginck);
}

void MainWindow::buildLoggedInPanel()
{
    Panel1 = make<QWidget>(this, "Panel1", {0, 0, 256, 600});
    Panel1->hide();
    Image1 = background(Panel1, "Image1", GradientPicture::Style::Panel);
    Image4 = picture(Panel1, "Image4", ":/images/logo_small.png", {6, 8, 70, 40});

    FreeUlb = label(Panel1, "FreeUlb", "Vip用户：", {80, 5, 65, 18});
    Usernamelb = label(Panel1, "Usernamelb", "", {145, 2, 80, 20});
    QFont bold = Usernamelb->font();
    bold.setBold(true);
    Usernamelb->setFont(bold);
    Balancelb = label(Panel1, "Balancelb", "帐户余额：", {80, 25, 65, 18});
    Balancevlb = label(Panel1, "Balancevlb", "", {145, 25, 100, 18});
    Expirelb = label(Panel1, "Expirelb", "可用天数：", {80, 45, 65, 18});
    Expirevlb = label(Panel1, "Expirevlb", "", {145, 45, 100, 18});
    Viplabel = linkLabel(Panel1, "Viplabel", "立即升级成VIP版享受飞速快感！", {40, 36, 212, 18});
    Viplabel->hide();
    ContactmQQ = picture(Panel1, "ContactmQQ", ":/images/contact.png", {232, 6, 18, 18});
    ContactmQQ->setCursor(Qt::PointingHandCursor);
    ContactmQQ->setToolTip(QStringLiteral("联系客服"));

    Userlabelbg = picture(Panel1, "Userlabelbg", ":/images/hover_background.png", {30, 64, 62, 23});
    Servicebg = picture(Panel1, "Servicebg", ":/images/hover_background.png", {104, 64, 62, 23});
    Helpbg = picture(Panel1, "Helpbg", ":/images/hover_background.png", {178, 64, 62, 23});
    for (QLabel* bg : {Userlabelbg, Servicebg, Helpbg})
        bg->hide();
    Userlabel = linkLabel(Panel1, "Userlabel", "帐户冲值", {30, 64, 62, 23});
    Servicelabel = linkLabel(Panel1, "Servicelabel", "代理推广", {104, 64, 62, 23});
    Helplabel = linkLabel(Panel1, "Helplabel", "帮助中心", {178, 64, 62, 23});
    for (QLabel* l : {Userlabel, Servicelabel, Helplabel})
        l->setAlignment(Qt::AlignCenter);

    bsSkinSpeedButton1 = make<ImageButton>(Panel1, "bsSkinSpeedButton1", {1, 95, 29, 30});
    bsSkinSpeedButton1->setPicture(QPixmap(QStringLiteral(":/images/tuveka.bmp")));
    bsSkinSpeedButton1->setProperty("entryIndex", 0);
    Titlelb = label(Panel1, "Titlelb", "", {30, 100, 224, 22});
    Titlelb->setAlignment(Qt::AlignCenter);

    Mainpanel = make<QWidget>(Panel1, "Mainpanel", {30, 126, 224, 402});
    SoftPanel = make<QWidget>(Panel1, "SoftPanel", {37, 100, 224, 402});
    SoftPanel->hide();
    buildConnectionPage();

    ShockwaveFlash1 = picture(Panel1, "ShockwaveFlash1", ":/images/banner.png", {32, 536, 217, 49});
}

void MainWindow::buildConnectionPage()
{
    AccelGroup = make<QGroupBox>(Mainpanel, "AccelGroup", {2, 0, 220, 206});
    AccelGroup->setTitle(QStringLiteral("加速设置"));
    LocalIP = label(AccelGroup, "LocalIP", "本地IP：", {10, 20, 66, 18});
    Localipv = label(AccelGroup, "Localipv", "127.0.0.1", {78, 20, 130, 18});
    ShowLine = label(AccelGroup, "ShowLine", "", {10, 42, 200, 18});
    LocalLineType = label(AccelGroup, "LocalLineType", "加速节点：", {10, 66, 66, 18});
    LocalLineTypev = label(AccelGroup, "LocalLineTypev", "自动", {78, 66, 90, 18});
    SetLine = button(AccelGroup, "SetLine", "设置", {168, 63, 44, 23});
    LinkMode = label(AccelGroup, "LinkMode", "连接模式：", {10, 94, 66, 18});
    Linkmodev = label(AccelGroup, "Linkmodev", "自动", {78, 94, 90, 18});
    SetLinkMode = button(AccelGroup, "SetLinkMode", "设置", {168, 91, 44, 23});
    AutoConn = checkBox(AccelGroup, "AutoConn", "自动连接", false, {10, 122, 96, 20});
    LinkADisc = checkBox(AccelGroup, "LinkADisc", "断线自动重连", false, {108, 122, 106, 20});
    IsServer = checkBox(AccelGroup, "IsServer", "完全中转模式", false, {10, 146, 200, 20});
    LineNet = label(AccelGroup, "LineNet", "", {10, 176, 200, 18});
    LineNet->setAlignment(Qt::AlignCenter);

    TrafficGroup = make<QGroupBox>(Mainpanel, "TrafficGroup", {2, 214, 220, 104});
    TrafficGroup->setTitle(QStringLiteral("流量统计"));
    ConnState = label(TrafficGroup, "ConnState", "流量信息：", {10, 20, 80, 18});
    Label1 = label(TrafficGroup, "Label1", "发送", {20, 42, 36, 18});
    Lxmit = label(TrafficGroup, "Lxmit", "0", {58, 42, 110, 18});
    Lkb1 = label(TrafficGroup, "Lkb1", "KB", {172, 42, 30, 18});
    Label2 = label(TrafficGroup, "Label2", "接收", {20, 62, 36, 18});
    LRecv = label(TrafficGroup, "LRecv", "0", {58, 62, 110, 18});
    Lkb2 = label(TrafficGroup, "Lkb2", "KB", {172, 62, 30, 18});
    for (QLabel* l : {Lxmit, LRecv})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Linktime = label(TrafficGroup, "Linktime", "连接时间：", {10, 82, 70, 18});
    Linktimev = label(TrafficGroup, "Linktimev", "00:00:00", {82, 82, 100, 18});

    lblStatus = label(Mainpanel, "lblStatus", "未连接...", {2, 326, 220, 20});
    lblStatus->setAlignment(Qt::AlignCenter);
    QPalette green = lblStatus->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    lblStatus->setPalette(green);
    BConn = button(Mainpanel, "BConn", "连接", {62, 352, 100, 30});
    BConn->setDefault(true);
    AutoT = button(Mainpanel, "AutoT", "自助踢号", {166, 356, 56, 24});
    AutoT->hide();
}

void MainWindow::buildMenuAndTimers()
{
    Timer1 = timer(this, "Timer1", 1000);
    Timer2 = timer(this, "Timer2", 5000);
    Timer5 = timer(this, "Timer5", 10000);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ExitX1 = menuItem(PopupMenu1, "ExitX1", "连接(&C)", true);
    C1 = menuItem(PopupMenu1, "C1", "断开(&D)", false);
    N6 = menuItem(PopupMenu1, "N6", "自助踢号", true);
    L1 = menuItem(PopupMenu1, "L1", "切换用户(&L)", true);
    W1 = menuItem(PopupMenu1, "W1", "访问网站(&W)", true);
    X1 = menuItem(PopupMenu1, "X1", "退出(&X)", true);
}
