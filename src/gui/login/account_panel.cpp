#include "gui/login/account_panel.h"

#include <QCheckBox>

#include "gui/connection/connection_page.h"
#include "gui/widgets/gradient_picture.h"
#include "gui/widgets/image_button.h"
#include "gui/widgets/widget_factory.h"
#include "gui/widgets/pixmap_file.h"

using namespace widgets;

AccountPanel::AccountPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setGeometry(0, 0, 256, 600);
    hide();
    Image1 = new GradientPicture(GradientPicture::Style::Panel, this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 256, 600);
    Image4 = picture(this, "Image4", ":/images/logo_small.png", { 6, 8, 70, 40 });

    FreeUlb = label(this, "FreeUlb", "Vip用户：", { 80, 5, 65, 18 });
    Usernamelb = label(this, "Usernamelb", "", { 145, 2, 80, 20 });
    QFont bold = Usernamelb->font();
    bold.setBold(true);
    Usernamelb->setFont(bold);
    Balancelb = label(this, "Balancelb", "帐户余额：", { 80, 25, 65, 18 });
    Balancevlb = label(this, "Balancevlb", "", { 145, 25, 100, 18 });
    Expirelb = label(this, "Expirelb", "可用天数：", { 80, 45, 65, 18 });
    Expirevlb = label(this, "Expirevlb", "", { 145, 45, 100, 18 });
    Viplabel = linkLabel(this, "Viplabel", "立即升级成VIP版享受飞速快感！", { 40, 36, 212, 18 });
    Viplabel->hide();
    ContactmQQ = picture(this, "ContactmQQ", ":/images/contact.png", { 232, 6, 18, 18 });
    ContactmQQ->setCursor(Qt::PointingHandCursor);
    ContactmQQ->setToolTip(QStringLiteral("联系客服"));

    Userlabelbg = picture(this, "Userlabelbg", ":/images/hover_background.png", { 30, 64, 62, 23 });
    Servicebg = picture(this, "Servicebg", ":/images/hover_background.png", { 104, 64, 62, 23 });
    Helpbg = picture(this, "Helpbg", ":/images/hover_background.png", { 178, 64, 62, 23 });
    for (QLabel* bg : { Userlabelbg, Servicebg, Helpbg })
        bg->hide();
    Userlabel = linkLabel(this, "Userlabel", "帐户冲值", { 30, 64, 62, 23 });
    Servicelabel = linkLabel(this, "Servicelabel", "代理推广", { 104, 64, 62, 23 });
    Helplabel = linkLabel(this, "Helplabel", "帮助中心", { 178, 64, 62, 23 });
    for (QLabel* l : { Userlabel, Servicelabel, Helplabel })
        l->setAlignment(Qt::AlignCenter);

    bsSkinSpeedButton1 = make<ImageButton>(this, "bsSkinSpeedButton1", { 1, 95, 29, 30 });
    bsSkinSpeedButton1->setPicture(loadPixmap(QStringLiteral(":/images/tuveka.bmp")));
    bsSkinSpeedButton1->setProperty("entryIndex", 0);
    Titlelb = label(this, "Titlelb", "", { 30, 100, 224, 22 });
    Titlelb->setAlignment(Qt::AlignCenter);

    Mainpanel = new ConnectionPage(this);
    SoftPanel = make<QWidget>(this, "SoftPanel", { 37, 100, 224, 402 });
    SoftPanel->hide();

    ShockwaveFlash1 = picture(this, "ShockwaveFlash1", ":/images/banner.png", { 32, 536, 217, 49 });
}

void AccountPanel::showVipLayout(const QString& daysLeft)
{
    FreeUlb->setText(QStringLiteral("Vip用户："));
    for (QLabel* l : { Balancelb, Balancevlb, Expirelb, Expirevlb })
        l->show();
    Viplabel->hide();
    Expirevlb->setText(daysLeft + QStringLiteral(" 天"));
    Mainpanel->LinkADisc->show();
    Mainpanel->LinkADisc->setChecked(true);
}

void AccountPanel::showFreeLayout()
{
    FreeUlb->setText(QStringLiteral("免费用户："));
    for (QLabel* l : { Balancelb, Balancevlb, Expirelb, Expirevlb })
        l->hide();
    Viplabel->show();
    Mainpanel->LinkADisc->setChecked(false);
    Mainpanel->LinkADisc->hide();
    FreeUlb->move(75, 12);
    Usernamelb->move(145, 10);
}
