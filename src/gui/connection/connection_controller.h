#pragma once

#include <QObject>
#include <string>

#include "core/vpn/link_status.h"

class QTimer;
class QWidget;
struct ClientContext;
class ConnectionPage;
class PhonebookController;
class TrayController;

// The connection's control surface: BConn in both directions, the counters
// (Timer1), the link watchdog (Timer2), the end of a user session, and the
// window changes a dial hands back.
class ConnectionController : public QObject {
    Q_OBJECT
public:
    ConnectionController(ClientContext& ctx, ConnectionPage& page, TrayController& tray,
        PhonebookController& phonebook, QWidget& window);

    // Connect or disconnect, by BConn's caption.
    void bConnClick();
    void timer1Timer();
    void timer2Timer();
    // The user session is ending (log-off, shut-down): drop a live connection.
    void sessionEnding();
    // The AutoConn box's handler: stores its state.
    void autoConnClick();

    // The saved manual node choice, restored at start-up; returns its line type.
    int restoreSavedNode();
    // The node chooser confirmed a node.
    void showChosenNode(const QString& name);

    // What a dial hands back, on the UI thread.
    void applyConnectedState();
    void showDialFailure(const std::string& message);
    void showAutoT();
    bool fullRelayChecked() const;

    QTimer* Timer1;
    QTimer* Timer2;

private:
    void connectBranch();
    void disconnectBranch();
    void selectNodeAutomatically();
    void startDialWorker();
    void hangUp();
    // Tells the tray what the window shows: state, node, counters.
    void showLinkState(LinkState state);

    ClientContext& ctx_;
    ConnectionPage& page_;
    TrayController& tray_;
    PhonebookController& phonebook_;
    QWidget& window_;
    // The running dial is the watchdog's redial after a drop.
    bool redialing_ = false;
};
