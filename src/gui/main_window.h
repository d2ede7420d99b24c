#pragma once

#include <QWidget>

struct ClientContext;
class LoginPanel;
class AccountPanel;
class ConnectionPage;
class TrayController;
class PhonebookController;
class ConnectionController;
class ContentController;
class LoginController;
class PortalLinks;
class QMenu;
class Settings;

// The client's one permanent window: the login panel and, after a login, the
// logged-in panel with the connection page. It composes the views and one
// controller per subsystem, and runs their start-up steps in order.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(ClientContext& ctx, QWidget* parent = nullptr);
    ~MainWindow() override;

    TrayController& tray() { return *tray_; }
    PhonebookController& phonebook() { return *phonebook_; }
    ConnectionController& connection() { return *connection_; }
    ContentController& content() { return *content_; }
    LoginController& login() { return *login_; }

    const Settings& settings() const;
    QMenu* popupMenu() const;
    // The user session is ending (log-off, shut-down).
    void sessionEnding();
    // The system asks the program to end (a signal): as a log-off, then exit.
    void terminationRequested();

signals:
    // The program must end now (update required, service stopped, account
    // refused, exit command).
    void programEndRequested();
    void setLineRequested();
    void setLinkModeRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void formCreate();
    void formShow();

    ClientContext& ctx_;
    LoginPanel* loginPanel_ = nullptr;
    AccountPanel* accountPanel_ = nullptr;
    TrayController* tray_ = nullptr;
    PhonebookController* phonebook_ = nullptr;
    ConnectionController* connection_ = nullptr;
    ContentController* content_ = nullptr;
    LoginController* login_ = nullptr;
    PortalLinks* links_ = nullptr;
    bool shownOnce_ = false;
};
