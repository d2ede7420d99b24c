#include "gui/login/login_panel.h"

#include <QLineEdit>

#include "gui/widgets/gradient_picture.h"
#include "gui/widgets/image_button.h"
#include "gui/widgets/widget_factory.h"
#include "gui/widgets/pixmap_file.h"

using namespace widgets;

LoginPanel::LoginPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LoginPanel"));
    setGeometry(0, 0, 256, 600);
    Image2 = new GradientPicture(GradientPicture::Style::Login, this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(0, 0, 256, 600);
    Image3 = picture(this, "Image3", ":/images/logo.png", { 28, 48, 200, 64 });

    Label9 = label(this, "Label9", "通行证：", { 22, 160, 56, 22 });
    Username = make<QLineEdit>(this, "Username", { 80, 160, 150, 24 });
    Label10 = label(this, "Label10", "密码：", { 22, 196, 56, 22 });
    PassWord = make<QLineEdit>(this, "PassWord", { 80, 196, 150, 24 });
    PassWord->setEchoMode(QLineEdit::Password);

    BsLogin = make<ImageButton>(this, "BsLogin", { 30, 238, 90, 30 });
    BsLogin->setPicture(loadPixmap(QStringLiteral(":/images/logina.bmp")));
    BsReg = make<ImageButton>(this, "BsReg", { 136, 238, 90, 30 });
    BsReg->setPicture(loadPixmap(QStringLiteral(":/images/rega.bmp")));

    Saveuserck = checkBox(this, "Saveuserck", "保存我的帐户信息", true, { 36, 284, 190, 22 });
    SavePassck = checkBox(this, "SavePassck", "记住我的密码", true, { 36, 308, 190, 22 });
    AutoLoginck = checkBox(this, "AutoLoginck", "设置为自动登陆", false, { 36, 332, 190, 22 });
    // White captions on the dark panel, but a dark mark in the white box.
    for (QCheckBox* box : { Saveuserck, SavePassck, AutoLoginck }) {
        QPalette p = box->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        p.setColor(QPalette::Text, QColor(0x1d, 0x4f, 0x91));
        p.setColor(QPalette::Base, Qt::white);
        box->setPalette(p);
    }

    Loginstatelb = label(this, "Loginstatelb", "", { 22, 364, 212, 120 });
    Loginstatelb->setWordWrap(true);
    Loginstatelb->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The service writes announcements of any length.
    lblContent = elidedLabel(this, "lblContent", "最新公告内容", { 22, 492, 212, 20 });
    lblContent->setCursor(Qt::PointingHandCursor);
    lblContent->hide();

    Yinsilb = linkLabel(this, "Yinsilb", "快速充值", { 22, 522, 60, 18 });
    lbDuihuanshijian = linkLabel(this, "lbDuihuanshijian", "兑换时间", { 96, 522, 60, 18 });
    ForgetPwlb = linkLabel(this, "ForgetPwlb", "忘记密码了?", { 166, 522, 76, 18 });
    Image5 = picture(this, "Image5", ":/images/contact.png", { 22, 550, 18, 18 });
    Image5->setCursor(Qt::PointingHandCursor);
    ContactQQ = linkLabel(this, "ContactQQ", "联系客服", { 44, 550, 80, 18 });
    Boxgmlb = linkLabel(this, "Boxgmlb", "Zavtrel 网络加速服务", { 22, 576, 212, 18 });
    Boxgmlb->setAlignment(Qt::AlignCenter);

    // Tab order: user name, password, login button, then the three boxes.
    setTabOrder(Username, PassWord);
    setTabOrder(PassWord, BsLogin);
    setTabOrder(BsLogin, Saveuserck);
    setTabOrder(Saveuserck, SavePassck);
    setTabOrder(SavePassck, AutoLoginck);
}
