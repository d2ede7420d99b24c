#include "gui/login/login_controller.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "core/account/announcement.h"
#include "core/account/login_decision.h"
#include "core/account/portal_request.h"
#include "core/account/saved_login.h"
#include "core/cipher/string_cipher.h"
#include "core/shell/stored_texts.h"
#include "gui/client_context.h"
#include "gui/connection/connection_controller.h"
#include "gui/connection/connection_page.h"
#include "gui/content/content_controller.h"
#include "gui/login/account_panel.h"
#include "gui/login/login_panel.h"
#include "gui/threading/busy_http_client.h"
#include "gui/threading/ui_hand_over.h"
#include "gui/tray/tray_controller.h"
#include "gui/widgets/image_button.h"
#include "gui/widgets/widget_events.h"
#include "gui/widgets/widget_factory.h"
#include "gui/widgets/pixmap_file.h"
#include "platform/gbk_codec.h"

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

LoginController::LoginController(ClientContext& ctx, LoginPanel& login, AccountPanel& account,
    TrayController& tray, ContentController& content, ConnectionController& connection, QObject* parent)
    : QObject(parent)
    , ctx_(ctx)
    , login_(login)
    , account_(account)
    , tray_(tray)
    , content_(content)
    , connection_(connection)
{
    connect(login_.BsLogin, &QAbstractButton::clicked, this, &LoginController::bsLoginButtonClicked);
    connect(tray_.L1, &QAction::triggered, this, &LoginController::switchUserClick);
    auto* events = new WidgetEvents(this);
    events->onClick(account_.FreeUlb, [this] { freeUlbClick(); });
    // Hover pictures of the two account buttons; a picture that cannot be
    // loaded leaves the button as it is.
    const auto hover = [this](ImageButton* button, const char* enter, const char* leave) {
        const auto show = [this, button](const char* file) {
            const QPixmap pic = loadPixmap(qs(ctx_.config.paths.resDir + file));
            if (!pic.isNull())
                button->setPicture(pic);
        };
        connect(button, &ImageButton::mouseEntered, this, [show, enter] { show(enter); });
        connect(button, &ImageButton::mouseLeft, this, [show, leave] { show(leave); });
    };
    hover(login_.BsLogin, "loginb.bmp", "logina.bmp");
    hover(login_.BsReg, "regb.bmp", "rega.bmp");
}

void LoginController::fetchAnnouncement()
{
    announcementPending_ = true;
    const std::shared_ptr<UiHandOver> handOver = UiHandOver::create(this);
    try {
        ctx_.workers.start([http = ctx_.services.http, request = announcementRequest(ctx_.config.portalBase),
                               handOver, this] {
            HttpResponse reply = http->get(request);
            handOver->post([this, reply = std::move(reply)] { announcementArrived(reply); });
        });
    } catch (const std::system_error&) {
        announcementArrived({});
    }
}

void LoginController::announcementArrived(const HttpResponse& reply)
{
    try {
        if (reply.ok) {
            const Announcement a = splitAnnouncement(platform::gbkToUtf8(reply.body));
            login_.lblContent->setText(qs(a.caption));
            ctx_.session.announcementUrl = a.url;
            QFont f = login_.lblContent->font();
            f.setUnderline(true);
            login_.lblContent->setFont(f);
            login_.lblContent->show();
        }
    } catch (...) {
        login_.lblContent->hide();
        ctx_.session.announcementUrl.clear();
    }
    announcementPending_ = false;
    savedLogin();
}

void LoginController::restoreSavedLogin()
{
    const SavedLogin saved = readSavedLogin(ctx_.settings);
    login_.Username->setText(qs(saved.user));
    login_.PassWord->setText(qs(saved.password));
    login_.Saveuserck->setChecked(saved.choices.saveUser);
    login_.SavePassck->setChecked(saved.choices.savePassword);
    login_.AutoLoginck->setChecked(saved.choices.autoLogin);
    if (!saved.choices.autoLogin)
        return;
    // Goes out once the announcement's exchange has ended, and never from
    // inside the window's first showing.
    loginAfterAnnouncement_ = true;
    if (!announcementPending_)
        QMetaObject::invokeMethod(this, &LoginController::savedLogin, Qt::QueuedConnection);
}

bool LoginController::startUpPending() const
{
    return announcementPending_ || loginAfterAnnouncement_;
}

void LoginController::savedLogin()
{
    if (!loginAfterAnnouncement_)
        return;
    loginAfterAnnouncement_ = false;
    try {
        bsLoginClick();
    } catch (const IniWriteError&) {
        // Silent at start-up: the panel waits for the user.
        login_.Username->setEnabled(true);
        login_.PassWord->setEnabled(true);
    }
}

void LoginController::bsLoginButtonClicked()
{
    try {
        bsLoginClick();
    } catch (const IniWriteError& e) {
        // The choices could not be stored: nothing was sent. Let the user retry.
        login_.Username->setEnabled(true);
        login_.PassWord->setEnabled(true);
        reportWriteError(ctx_, e);
    }
}

void LoginController::bsLoginClick()
{
    Session& s = ctx_.session;
    s.portalUser = login_.Username->text().toStdString();
    s.portalPassword = login_.PassWord->text().toStdString();
    widgets::setSong9(login_.Loginstatelb);
    login_.Username->setEnabled(false);
    login_.PassWord->setEnabled(false);

    if (s.portalUser.empty() || s.portalPassword.empty()) {
        login_.Loginstatelb->setText(QStringLiteral("提示：\r\n\r\n请输入帐户和密码！"));
        login_.Username->setEnabled(true);
        login_.PassWord->setEnabled(true);
        login_.Username->setFocus();
        return;
    }

    // Stored before anything is sent, whatever the outcome; a refused write
    // throws out of here, before any request.
    storeLoginChoices(ctx_.settings, s.portalUser, s.portalPassword,
        { login_.Saveuserck->isChecked(), login_.SavePassck->isChecked(), login_.AutoLoginck->isChecked() });
    try {
        loginExchange();
    } catch (...) {
        showOnPanel(loginPanelText(LoginOutcome::RequestFailed));
    }
}

void LoginController::showOnPanel(const char* text)
{
    login_.Loginstatelb->setText(QString::fromUtf8(text));
    login_.Username->setEnabled(true);
    login_.PassWord->setEnabled(true);
}

void LoginController::loginExchange()
{
    const Session& s = ctx_.session;
    BusyHttpClient http(ctx_.services.http, ctx_.workers, *login_.window());
    const HttpResponse response
        = http.get(accountServerRequest(loginUrl(ctx_.config.portalBase, s.portalUser, s.portalPassword)));
    const LoginDecision d = decideLogin(response.ok, platform::gbkToUtf8(response.body));
    switch (d.outcome) {
    case LoginOutcome::UpdateRequired:
        ctx_.services.launcher->startDetached({ ctx_.config.paths.appDir + "Update.exe" });
        tray_.endProgram();
        return;
    case LoginOutcome::Stopped:
    case LoginOutcome::IllegalUser:
        ctx_.services.messageBoxes->information(s.appTitle, loginEndMessage(d.outcome));
        tray_.endProgram();
        return;
    case LoginOutcome::Accepted:
        applyAccepted(*d.reply);
        return;
    default:
        showOnPanel(loginPanelText(d.outcome));
        return;
    }
}

void LoginController::applyAccepted(const LoginReply& r)
{
    Session& s = ctx_.session;
    s.accountState = r.accountState;
    s.fullRelayAllowed = r.fullRelayAllowed;
    s.appTitle = cipher::decryptText(stored_texts::kAppTitleCipher);
    s.vipAccount = r.accountState == 1;
    s.nodeListFile = s.vipAccount ? "Vip.ini" : "Free.ini";
    if (s.vipAccount)
        account_.showVipLayout(qs(r.daysLeft));
    else
        account_.showFreeLayout();
    s.newsTitle = r.newsTitle;
    s.newsWidth = r.newsWidth;
    s.newsHeight = r.newsHeight;

    login_.Loginstatelb->clear();
    login_.hide();
    account_.show();

    ConnectionPage& page = *account_.Mainpanel;
    page.Localipv->setText(qs(r.clientIp));
    account_.Usernamelb->setText(qs(s.portalUser));
    account_.Balancevlb->setText(qs(r.balance) + QStringLiteral(" 元"));

    if (r.fullRelayAllowed == 1) {
        page.IsServer->setEnabled(true);
    } else {
        page.IsServer->setChecked(false); // runs the box's handler when it was checked
        page.IsServer->setEnabled(false);
    }
    if (switchApplies(r.adSwitch, s.vipAccount))
        content_.startSchedule();
    if (switchApplies(r.newsSwitch, s.vipAccount))
        content_.openNewsWindow();
    content_.startConfigFetch();
    applyAutoConnect();
}

void LoginController::freeUlbClick()
{
    account_.FreeUlb->setText(
        ctx_.session.vipAccount ? QStringLiteral("Vip用户：") : QStringLiteral("免费用户："));
}

void LoginController::applyAutoConnect()
{
    QCheckBox* box = account_.Mainpanel->AutoConn;
    if (ctx_.settings.autoConn()) {
        box->setChecked(true);
        connection_.autoConnClick();
        connection_.bConnClick();
    } else if (box->isChecked()) {
        box->setChecked(false);
        connection_.autoConnClick();
    }
}

void LoginController::switchUserClick()
{
    try {
        ctx_.settings.eraseMain();
    } catch (const IniWriteError& e) {
        reportWriteError(ctx_, e);
        return;
    }
    account_.hide();
    login_.show();
    login_.Username->setEnabled(true);
    login_.PassWord->setEnabled(true);
}
