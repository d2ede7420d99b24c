#pragma once

#include <QObject>

class QAction;
class QCloseEvent;
class QEvent;
class QMenu;
class QSystemTrayIcon;
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
    // it back, and only minimise it where none can.
    void closeEvent(QCloseEvent* event);
    void changeEvent(QEvent* event);

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

signals:
    void programEndRequested();

private:
    void hideToTray();
    bool trayUsable() const;

    ClientContext& ctx_;
    QWidget& window_;
    QSystemTrayIcon* trayIcon_ = nullptr;
};
