#pragma once

#include <QObject>
#include <string>

struct ClientContext;
class LoginPanel;
class AccountPanel;
class TrayController;

// Every portal link of the two panels and the tray menu: each opens its page
// in the user's browser, most of them through the signed query.
class PortalLinks : public QObject {
    Q_OBJECT
public:
    PortalLinks(
        ClientContext& ctx, LoginPanel& login, AccountPanel& account, TrayController& tray, QObject* parent);

    // The contact address the settings kept from an earlier run.
    void restoreContactUrl();

private:
    void openAddress(const std::string& address);
    std::string signedAddress(const char* page) const;
    std::string kickAddress() const;

    ClientContext& ctx_;
};
