// The login exchange of the main window: from the two edits to the logged-in
// panel, or to the text that explains why not.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "core/account/login_reply.h"
#include "core/account/portal_request.h"
#include "gui/main_window.h"
#include "core/cipher/string_cipher.h"
#include "platform/gbk_codec.h"

namespace {

constexpr const char* kEmptyFields = "提示：\r\n\r\n请输入帐户和密码！";
constexpr const char* kRefused =
    "提示：登陆失败！\r\n\r\n可能是如下原因：\r\n\r\n1.帐户或者密码错误。\r\n\r\n2.连接用户过多请稍后再试！";
constexpr const char* kRequestFailed =
    "提示：登陆失败！\r\n\r\n可能是如下原因：\r\n\r\n1.本地网络未连接。\r\n\r\n2.登陆验证服务器故障，请联系客服！";
constexpr const char* kFrozen = "提示：\r\n\r\n您的帐户已被冻结，请联系网站管理员！";
constexpr const char* kExpired =
    "提示：\r\n\r\n您的帐户已到期,请及时冲值,谢谢合作!\r\n\r\n如果您已经充值，请点击下面按钮，兑换使用时间！";
constexpr const char* kStopped = "系统升级中,暂停使用！";
constexpr const char* kIllegalUser = "非法用户，请联系网站管理员！";

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

bool equalsIgnoringCase(const std::string& a, const char* b)
{
    return QString::fromStdString(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

void MainWindow::bsLoginButtonClicked()
{
    try {
        bsLoginClick();
    } catch (const IniWriteError& e) {
        // The choices could not be stored: nothing was sent. Let the user retry.
        Username->setEnabled(true);
        PassWord->setEnabled(true);
        reportWriteError(e);
    }
}

void MainWindow::bsLoginClick()
{
    session_.portalUser = Username->text().toStdString();
    session_.portalPassword = PassWord->text().toStdString();
    QFont song = Loginstatelb->font();
    song.setFamily(QStringLiteral("宋体"));
    song.setPointSize(9);
    Loginstatelb->setFont(song);
    Username->setEnabled(false);
    PassWord->setEnabled(false);

    if (session_.portalUser.empty() || session_.portalPassword.empty()) {
        Loginstatelb->setText(u8(kEmptyFields));
        Username->setEnabled(true);
        PassWord->setEnabled(true);
        Username->setFocus();
        return;
    }

    // Stored before anything is sent, whatever the outcome.
    // A refused write throws out of here, before any request.
    settings_.setUser(Saveuserck->isChecked() ? cipher::encryptText(session_.portalUser) : std::string());
    if (SavePassck->isChecked()) {
        // A remembered password always keeps the user name too.
        settings_.setUser(cipher::encryptText(session_.portalUser));
        settings_.setPass(cipher::encryptText(session_.portalPassword));
    } else {
        settings_.setPass({});
    }
    settings_.setSaveInfo(Saveuserck->isChecked());
    settings_.setSavePwd(SavePassck->isChecked());
    settings_.setSaveLogin(AutoLoginck->isChecked());

    try {
        loginExchange();
    } catch (...) {
        showLoginFailure(kRequestFailed);
    }
}

void MainWindow::showLoginFailure(const char* text)
{
    Loginstatelb->setText(u8(text));
    Username->setEnabled(true);
    PassWord->setEnabled(true);
}

void MainWindow::loginExchange()
{
    const HttpResponse response =
        services_.http.get(accountServerRequest(loginUrl(config_.portalBase, session_.portalUser, session_.portalPassword)));
    if (!response.ok) {
        showLoginFailure(kRequestFailed);
        return;
    }
    const std::string reply = platform::gbkToUtf8(response.body);

    switch (classifyLoginReply(reply)) {
    case LoginVerdict::Refused:
        showLoginFailure(kRefused);
        return;
    case LoginVerdict::Stopped:
        services_.messageBoxes.information(session_.appTitle, kStopped);
        updateTrayIcon(TrayOperation::Delete);
        emit programEndRequested();
        return;
    case LoginVerdict::Success:
        break;
    }

    const auto parsed = parseLoginReply(reply);
    if (!parsed) {
        showLoginFailure(kRequestFailed);
        return;
    }
    const LoginReply& r = *parsed;

    if (!versionAccepted(r.requiredVersion)) {
        services_.launcher.startDetached({paths_.appDir + "Update.exe"});
        updateTrayIcon(TrayOperation::Delete);
        emit programEndRequested();
        return;
    }

    if (r.accountState < 0 || r.accountState > 2) {
        services_.messageBoxes.information(session_.appTitle, kIllegalUser);
        updateTrayIcon(TrayOperation::Delete);
        emit programEndRequested();
        return;
    }
    if (r.accountState == 2) {
        showLoginFailure(kFrozen);
        return;
    }
    if (equalsIgnoringCase(r.daysLeft, "0")) {
        showLoginFailure(kExpired);
        return;
    }

    session_.accountState = r.accountState;
    session_.fullRelayAllowed = r.fullRelayAllowed;
    session_.appTitle = cipher::decryptText(kAppTitleCipher);
    if (r.accountState == 1) {
        session_.vipAccount = true;
        session_.nodeListFile = "Vip.ini";
        applyVipLayout();
        Expirevlb->setText(QString::fromStdString(r.daysLeft) + u8(" 天"));
    } else {
        session_.vipAccount = false;
        session_.nodeListFile = "Free.ini";
        applyFreeLayout();
    }
    session_.newsTitle = r.newsTitle;
    session_.newsWidth = r.newsWidth;
    session_.newsHeight = r.newsHeight;

    Loginstatelb->clear();
    LoginPanel->hide();
    Panel1->show();

    Localipv->setText(QString::fromStdString(r.clientIp));
    Usernamelb->setText(QString::fromStdString(session_.portalUser));
    Balancevlb->setText(QString::fromStdString(r.balance) + u8(" 元"));

    if (r.fullRelayAllowed == 1) {
        IsServer->setEnabled(true);
    } else {
        IsServer->setChecked(false);  // runs the box's handler when it was checked
        IsServer->setEnabled(false);
    }
    if (switchApplies(r.adSwitch, session_.vipAccount) && !Timer5->isActive())
        Timer5->start();
    if (switchApplies(r.newsSwitch, session_.vipAccount))
        openNewsWindow();
    startConfigFetch();
    applyAutoConnect();
}

void MainWindow::applyVipLayout()
{
    FreeUlb->setText(u8("Vip用户："));
    for (QLabel* l : {Balancelb, Balancevlb, Expirelb, Expirevlb})
        l->show();
    Viplabel->hide();
    LinkADisc->show();
    LinkADisc->setChecked(true);
}

void MainWindow::applyFreeLayout()
{
    FreeUlb->setText(u8("免费用户："));
    for (QLabel* l : {Balancelb, Balancevlb, Expirelb, Expirevlb})
        l->hide();
    Viplabel->show();
    LinkADisc->setChecked(false);
    LinkADisc->hide();
    FreeUlb->move(75, 12);
    Usernamelb->move(145, 10);
}

void MainWindow::freeUlbClick()
{
    FreeUlb->setText(u8(session_.vipAccount ? "Vip用户：" : "免费用户："));
}

void MainWindow::applyAutoConnect()
{
    if (settings_.autoConn()) {
        AutoConn->setChecked(true);
        autoConnClick();
        bConnClick();
    } else if (AutoConn->isChecked()) {
        AutoConn->setChecked(false);
        autoConnClick();
    }
}
