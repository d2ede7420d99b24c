#include "gui/tray/tray_controller.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include "core/vpn/exit_cleanup.h"
#include "gui/client_context.h"

namespace {

QAction* menuItem(QMenu* menu, const char* name, const char* text, bool enabled)
{
    auto* a = menu->addAction(QString::fromUtf8(text));
    a->setObjectName(QString::fromLatin1(name));
    a->setEnabled(enabled);
    return a;
}

QColor markColour(LinkState state)
{
    switch (state) {
    case LinkState::Connected:
        return QColor(0x2e, 0xb8, 0x2e);
    case LinkState::Connecting:
        return QColor(0xf0, 0xa0, 0x00);
    case LinkState::Dropped:
        return QColor(0xe0, 0x20, 0x20);
    case LinkState::Disconnected:
        break;
    }
    return QColor(0x90, 0x90, 0x90);
}

// The application's icon with a dot in the lower right corner, large enough
// to be told apart at the notification area's 16 to 24 pixels.
QIcon markedIcon(const QIcon& base, LinkState state)
{
    QIcon icon;
    for (const int size : { 16, 22, 24, 32, 48, 64 }) {
        QPixmap pixmap
            = base.pixmap(size, size).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal d = size * 0.5;
        const QRectF dot(size - d, size - d, d, d);
        painter.setPen(QPen(Qt::white, qMax(1.0, size / 16.0)));
        painter.setBrush(markColour(state));
        painter.drawEllipse(dot.adjusted(0.5, 0.5, -0.5, -0.5));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

TrayController::TrayController(ClientContext& ctx, QWidget& window)
    : QObject(&window)
    , ctx_(ctx)
    , window_(window)
{
    PopupMenu1 = new QMenu(&window);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ExitX1 = menuItem(PopupMenu1, "ExitX1", "连接(&C)", true);
    C1 = menuItem(PopupMenu1, "C1", "断开(&D)", false);
    N6 = menuItem(PopupMenu1, "N6", "自助踢号", true);
    L1 = menuItem(PopupMenu1, "L1", "切换用户(&L)", true);
    W1 = menuItem(PopupMenu1, "W1", "访问网站(&W)", true);
    X1 = menuItem(PopupMenu1, "X1", "退出(&X)", true);
    connect(X1, &QAction::triggered, this, &TrayController::exitClick);

    MenuButton = new QToolButton(&window);
    MenuButton->setObjectName(QStringLiteral("MenuButton"));
    MenuButton->setGeometry(2, 2, 20, 20);
    MenuButton->setText(QStringLiteral("≡"));
    MenuButton->setToolTip(QStringLiteral("菜单"));
    MenuButton->setAutoRaise(true);
    MenuButton->setMenu(PopupMenu1);
    MenuButton->setPopupMode(QToolButton::InstantPopup);
    MenuButton->setStyleSheet(QStringLiteral("QToolButton { color: white; font-weight: bold; }"
                                             "QToolButton::menu-indicator { image: none; }"));
    MenuButton->hide();
}

void TrayController::windowShown()
{
    MenuButton->setVisible(!QSystemTrayIcon::isSystemTrayAvailable());
    MenuButton->raise();
}

void TrayController::updateTrayIcon(TrayOperation operation)
{
    switch (operation) {
    case TrayOperation::Add:
        if (!trayIcon_) {
            trayIcon_ = new QSystemTrayIcon(this);
            trayIcon_->setObjectName(QStringLiteral("TrayIcon"));
            applyLinkStatus();
            trayIcon_->setContextMenu(PopupMenu1);
            connect(
                trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
                    if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick) {
                        window_.showNormal();
                        window_.raise();
                        window_.activateWindow();
                    }
                });
        }
        trayIcon_->show();
        break;
    case TrayOperation::Modify:
        break;
    case TrayOperation::Delete:
        if (trayIcon_) {
            trayIcon_->hide();
            trayIcon_->deleteLater();
            trayIcon_ = nullptr;
        }
        break;
    }
}

void TrayController::showLinkStatus(const LinkStatus& status)
{
    const bool newState = status.state != linkStatus_.state;
    linkStatus_ = status;
    if (!trayIcon_)
        return;
    if (newState)
        trayIcon_->setIcon(markedIcon(window_.windowIcon(), status.state));
    trayIcon_->setToolTip(QString::fromStdString(trayTip(status)));
}

void TrayController::applyLinkStatus()
{
    trayIcon_->setIcon(markedIcon(window_.windowIcon(), linkStatus_.state));
    trayIcon_->setToolTip(QString::fromStdString(trayTip(linkStatus_)));
}

void TrayController::notify(const std::string& text, bool warning)
{
    if (trayIcon_ && trayIcon_->isVisible())
        trayIcon_->showMessage(QStringLiteral("Zavtrel"), QString::fromStdString(text),
            warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information, 8000);
}

bool TrayController::trayUsable() const
{
    return trayIcon_ && QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayController::hideToTray()
{
    // Without a notification area the window would be unreachable once
    // hidden, so it only minimises then.
    if (trayUsable())
        window_.hide();
    else
        window_.showMinimized();
}

void TrayController::closeEvent(QCloseEvent* event)
{
    if (ending_) {
        event->accept();
        return;
    }
    event->ignore();
    // The user's close where nothing could bring a hidden window back, and
    // nothing else could end the program, is the exit. Any other close (the
    // program's own, after a dial) only puts the window out of the way.
    if (event->spontaneous() && !trayUsable())
        exitClick();
    else
        hideToTray();
}

void TrayController::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && (window_.windowState() & Qt::WindowMinimized)
        && trayUsable())
        QTimer::singleShot(0, &window_, [this] {
            window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
            window_.hide();
        });
}

void TrayController::exitClick()
{
    runExitCleanup(*ctx_.dialState,
        { *ctx_.services.remoteAccess, *ctx_.services.launcher, *ctx_.services.processCapture },
        ctx_.config.dialTool, ctx_.session.entryName, ctx_.config.paths.tempDir);
    endProgram();
}

void TrayController::endProgram()
{
    ending_ = true;
    updateTrayIcon(TrayOperation::Delete);
    emit programEndRequested();
}
