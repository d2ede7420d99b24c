#pragma once

#include <QObject>

struct ClientContext;
class ConnectionPage;

// The phonebook file of the connection mode and the full-relay box: writes
// the phonebook, the mode label and setting, and IpPrioritizeRemote.
class PhonebookController : public QObject {
    Q_OBJECT
public:
    PhonebookController(ClientContext& ctx, ConnectionPage& page, QObject* parent);

    // At start-up only mode 2 shows its label and is stored again.
    void prepareAtStartup(int mode);
    // Start-up: line type 3 switches full relay on, then the box takes its
    // saved state.
    void restoreFullRelay(int savedLineType);
    // The connection mode dialog's OK: phonebook for the mode, label and
    // setting, then full relay as the box stands.
    void applyConnectionMode(int mode);

    void setFullRelay(bool on);
    bool fullRelayChecked() const;

private:
    void prepareForMode(int mode, bool showAndStore);
    void isServerClick();

    ClientContext& ctx_;
    ConnectionPage& page_;
};
