#pragma once

#include <QObject>
#include <string>

#include "core/vpn/link_status.h"

class QAction;
class QCloseEvent;
class QEvent;
class QMenu;
class QSystemTrayIcon;
class QToolButton;
class QWidget;
struct ClientContext;

// The notification-area icon and its menu, the window's hiding into it and
// coming back, and the ends of the program.
class TrayController : public QObject {
    Q_OBJECT
public:
    TrayController(ClientContext& ctx, QWidget& window);

    enum class TrayOperation { Add, Modify, Delete };
    void updateTrayIcon(TrayOperation operation);

    // Close and minimise hide the window where a notification area can bring
    // it back. Where there is none, minimise minimises and close exits, and
    // the menu button on the window opens the icon's menu.
    void closeEvent(QCloseEvent* event);
    void changeEvent(QEvent* event);
    // The window is shown (again): the menu button follows the notification area.
    void windowShown();

    // The link's state on the icon (a coloured mark) and in its tip. Kept
    // until the icon exists.
    void showLinkStatus(const LinkStatus& status);
    const LinkStatus& linkStatus() const { return linkStatus_; }
    // A message from the icon, for what happens while the window is hidden.
    void notify(const std::string& text, bool warning);

    // Exit (X1): tears the connection and its files down, then ends.
    void exitClick();
    // Removes the icon and ends the program.
    void endProgram();

    QMenu* PopupMenu1;
    QAction* ExitX1; // "连接(&C)"
    QAction* C1; // "断开(&D)"
    QAction* N6; // "自助踢号"
    QAction* L1; // "切换用户(&L)"
    QAction* W1; // "访问网站(&W)"
    QAction* X1; // "退出(&X)"
    QToolButton* MenuButton; // the menu on the window, where no notification area exists

signals:
    void programEndRequested();

private:
    void hideToTray();
    bool trayUsable() const;
    void applyLinkStatus();

    ClientContext& ctx_;
    QWidget& window_;
    QSystemTrayIcon* trayIcon_ = nullptr;
    bool ending_ = false;
    LinkStatus linkStatus_;
};
