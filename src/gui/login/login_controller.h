#pragma once

#include <QObject>

struct ClientContext;
struct LoginReply;
struct HttpResponse;
class LoginPanel;
class AccountPanel;
class TrayController;
class ContentController;
class ConnectionController;

// The login exchange and what frames it: the announcement, the saved login
// at start-up, the account buttons' hover pictures, and switching user.
class LoginController : public QObject {
    Q_OBJECT
public:
    LoginController(ClientContext& ctx, LoginPanel& login, AccountPanel& account, TrayController& tray,
        ContentController& content, ConnectionController& connection, QObject* parent);

    // The announcement's caption and address, fetched at start-up without
    // holding the window; the label fills in when the reply comes.
    void fetchAnnouncement();
    // Fills the panel from the saved login and, when that was chosen, logs in
    // after the announcement's exchange.
    void restoreSavedLogin();
    // The announcement or the saved login has yet to go out or come back.
    bool startUpPending() const;

    // The login button, also the automatic login at start-up. Throws
    // IniWriteError when the choices cannot be stored.
    void bsLoginClick();
    void switchUserClick();
    void applyAutoConnect();

private:
    void announcementArrived(const HttpResponse& reply);
    void savedLogin();
    void bsLoginButtonClicked();
    void loginExchange();
    void showOnPanel(const char* text);
    void applyAccepted(const LoginReply& r);
    void freeUlbClick();

    ClientContext& ctx_;
    LoginPanel& login_;
    AccountPanel& account_;
    TrayController& tray_;
    ContentController& content_;
    ConnectionController& connection_;
    bool announcementPending_ = false;
    bool loginAfterAnnouncement_ = false;
};
