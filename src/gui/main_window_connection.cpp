// Connect and disconnect, the counters, the link watchdog, and how the window
// hides into the notification area.
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <filesystem>

#include "core/account/connection_policy.h"
#include "gui/main_window.h"
#include "core/nodes/node_list.h"
#include "core/nodes/node_selection.h"
#include "core/vpn/connection_monitor.h"
#include "gui/connection/dial_worker.h"
#include "core/vpn/route_installer.h"

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

QString u8(const std::string& s)
{
    return QString::fromStdString(s);
}

}  // namespace

void MainWindow::setStatus(const QString& text, const QColor& colour)
{
    QPalette p = lblStatus->palette();
    p.setColor(QPalette::WindowText, colour);
    lblStatus->setPalette(p);
    lblStatus->setText(text);
    lblStatus->repaint();
}

void MainWindow::bConnClick()
{
    if (BConn->text() == QStringLiteral("连接"))
        connectBranch();
    else
        disconnectBranch();
}

void MainWindow::connectBranch()
{
    if (session_.accountState == 0) {
        const std::string verdict = fetchConnectionPolicy(services_.http, config_.portalBase, session_.portalUser,
                                                          session_.linkMinutes, session_.waitMinutes, log_);
        const std::string notice = freeAccountNotice(session_.appTitle, session_.linkMinutes);
        if (!policyAllows(verdict)) {
            lblStatus->setText(u8(policyRefusalText(session_.linkMinutes, session_.waitMinutes)));
            services_.messageBoxes.information(session_.appTitle, notice);
            return;
        }
        if (policyWantsNotice(verdict))
            services_.messageBoxes.information(session_.appTitle, notice);
    }

    BConn->setEnabled(false);
    session_.connectionHandle = 0;
    setStatus(QStringLiteral("连接中..."), kGreen);

    if (LocalLineTypev->text() == QStringLiteral("自动"))
        selectNodeAutomatically();
    unsetCursor();

    if (!session_.phonebookPath.empty() && std::filesystem::exists(session_.phonebookPath)) {
        startDialWorker();
        return;
    }
    BConn->setEnabled(true);
    lblStatus->setText(QStringLiteral("连接过程中出现错误!"));
    log_.write("拨号文件" + session_.phonebookPath + "不存在!");
}

void MainWindow::selectNodeAutomatically()
{
    try {
        const std::string appDir = paths_.appDir;
        const std::string file = session_.nodeListFile;
        const AutoSelection result =
            selectBestNode([appDir, file] { return loadNodeList(appDir, file); }, services_.icmp, nodeChoice_);
        ShowLine->setText(u8(result.showLineText));
        LocalLineTypev->setText(u8(result.caption));
        for (QLabel* l : {Linkmodev, ShowLine}) {
            QFont f = l->font();
            f.setFamily(QStringLiteral("宋体"));
            f.setPointSize(9);
            l->setFont(f);
        }
    } catch (...) {
        // the dial goes on with whatever the choice holds
    }
}

void MainWindow::startDialWorker()
{
    DialWorker::WindowHooks hooks;
    hooks.applyConnected = [this] { applyConnectedState(); };
    hooks.showDialFailure = [this](const std::string& m) { showDialFailure(m); };
    hooks.showAutoT = [this] { AutoT->show(); };
    hooks.fullRelayChecked = [this] { return IsServer->isChecked(); };
    DialWorker::start(this, std::move(hooks), [this](DialUi& ui) {
        const std::string appDir = paths_.appDir;
        auto install = [this, appDir](int lineType) {
            RouteInstaller installer(services_.adapters, services_.routes);
            installer.installRoutes(lineType, appDir, log_);
        };
        return std::make_unique<DialProcedure>(DialProcedure::Inputs{config_.dialTool, appDir}, session_, nodeChoice_,
                                               services_.processCapture, services_.remoteAccess, install, log_, ui);
    });
}

void MainWindow::applyConnectedState()
{
    BConn->setEnabled(true);
    BConn->setText(QStringLiteral("断开"));
    setStatus(QStringLiteral("已连接!"), kGreen);
    SetLine->setEnabled(false);
    SetLinkMode->setEnabled(false);
    IsServer->setEnabled(false);
    Timer1->start();
    Timer2->start();
    ExitX1->setEnabled(false);
    L1->setEnabled(false);
    C1->setEnabled(true);
    AutoT->hide();
    close();  // hides into the notification area
}

void MainWindow::showDialFailure(const std::string& message)
{
    BConn->setEnabled(true);
    lblStatus->setText(u8(message));
    log_.write(message);
}

void MainWindow::disconnectBranch()
{
    unsetCursor();
    if (const auto handle = session_.connectionHandle.load()) {
        services_.remoteAccess.hangUp(handle);
        session_.connectionHandle = 0;
    }
    BConn->setText(QStringLiteral("连接"));
    setStatus(QStringLiteral("未连接..."), kGreen);
    SetLine->setEnabled(true);
    SetLinkMode->setEnabled(true);
    IsServer->setEnabled(session_.fullRelayAllowed == 1);
    Timer1->stop();
    Timer2->stop();
    ExitX1->setEnabled(true);
    L1->setEnabled(true);
    C1->setEnabled(false);
    Lxmit->setText(QStringLiteral("0"));
    LRecv->setText(QStringLiteral("0"));
    Linktimev->setText(QStringLiteral("00:00:00"));
    log_.write("连接断开!");
}

void MainWindow::timer1Timer()
{
    try {
        const auto stats = services_.remoteAccess.statistics(session_.connectionHandle);
        if (!stats)
            return;
        Lxmit->setText(u8(formatKilobytes(stats->bytesSent)));
        LRecv->setText(u8(formatKilobytes(stats->bytesReceived)));
        Linktimev->setText(u8(formatConnectionTime(stats->durationMs)));
        if (session_.accountState == 0 && connectionLimitReached(stats->durationMs, session_.linkMinutes))
            bConnClick();
    } catch (...) {
    }
}

void MainWindow::timer2Timer()
{
    try {
        if (session_.dialInProgress)
            return;
        const auto state = services_.remoteAccess.connectionStatus(session_.connectionHandle);
        if (state && *state != platform::RemoteAccess::kDisconnected)
            return;
        if (const auto handle = session_.connectionHandle.load()) {
            services_.remoteAccess.hangUp(handle);
            session_.connectionHandle = 0;
        }
        Timer1->stop();
        BConn->setText(QStringLiteral("连接"));
        setStatus(QStringLiteral("连接中断!"), kRed);
        SetLine->setEnabled(true);
        ExitX1->setEnabled(true);
        C1->setEnabled(false);
        log_.write("连接中断!");
        if (LinkADisc->isChecked())
            bConnClick();
        else
            Timer2->stop();
    } catch (...) {
    }
}

void MainWindow::sessionEnding()
{
    if (session_.connectionHandle != 0)
        bConnClick();
    QThread::msleep(1000);
}

void MainWindow::hideToTray()
{
    // Without a notification area the window would be unreachable once
    // hidden, so it only minimises then.
    if (trayIcon_ && QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        showMinimized();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hideToTray();
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && trayIcon_ &&
        QSystemTrayIcon::isSystemTrayAvailable())
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            hide();
        });
}

void MainWindow::switchUserClick()
{
    try {
        settings_.eraseMain();
    } catch (const IniWriteError& e) {
        reportWriteError(e);
        return;
    }
    Panel1->hide();
    LoginPanel->show();
    Username->setEnabled(true);
    PassWord->setEnabled(true);
}
