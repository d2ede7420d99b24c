#include "gui/connection/connection_controller.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <filesystem>

#include "core/account/connection_policy.h"
#include "core/nodes/node_list.h"
#include "core/nodes/node_selection.h"
#include "core/nodes/saved_node.h"
#include "core/vpn/connection_monitor.h"
#include "gui/client_context.h"
#include "gui/connection/connection_page.h"
#include "gui/connection/dial_worker.h"
#include "gui/threading/busy_http_client.h"
#include "gui/tray/tray_controller.h"
#include "gui/vpn/phonebook_controller.h"
#include "gui/widgets/widget_factory.h"

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

ConnectionController::ConnectionController(ClientContext& ctx, ConnectionPage& page, TrayController& tray,
    PhonebookController& phonebook, QWidget& window)
    : QObject(&window)
    , ctx_(ctx)
    , page_(page)
    , tray_(tray)
    , phonebook_(phonebook)
    , window_(window)
{
    Timer1 = widgets::timer(this, "Timer1", 1000);
    Timer2 = widgets::timer(this, "Timer2", 5000);
    connect(Timer1, &QTimer::timeout, this, &ConnectionController::timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &ConnectionController::timer2Timer);
    connect(page_.BConn, &QPushButton::clicked, this, &ConnectionController::bConnClick);
    connect(tray_.ExitX1, &QAction::triggered, this, &ConnectionController::bConnClick);
    connect(tray_.C1, &QAction::triggered, this, &ConnectionController::bConnClick);
    connect(page_.AutoConn, &QCheckBox::clicked, this, &ConnectionController::autoConnClick);
}

int ConnectionController::restoreSavedNode()
{
    const SavedNode saved = readSavedNode(ctx_.settings);
    ctx_.nodeChoice->setLineType(saved.lineType);
    if (saved.lineType != 0) {
        page_.LocalLineTypev->setText(qs(saved.name));
        ctx_.nodeChoice->setServerIp(saved.address);
        if (const char* text = localLineText(saved.lineType))
            page_.ShowLine->setText(QString::fromUtf8(text));
    }
    return saved.lineType;
}

void ConnectionController::showChosenNode(const QString& name)
{
    page_.LocalLineTypev->setText(name);
}

void ConnectionController::autoConnClick()
{
    try {
        ctx_.settings.setAutoConn(page_.AutoConn->isChecked());
    } catch (const IniWriteError& e) {
        reportWriteError(ctx_, e);
    }
}

void ConnectionController::bConnClick()
{
    if (page_.BConn->text() == QStringLiteral("连接"))
        connectBranch();
    else
        disconnectBranch();
}

void ConnectionController::connectBranch()
{
    Session& s = ctx_.session;
    if (s.accountState == 0) {
        BusyHttpClient http(ctx_.services.http, ctx_.workers, window_);
        const std::string verdict = fetchConnectionPolicy(
            http, ctx_.config.portalBase, s.portalUser, s.linkMinutes, s.waitMinutes, ctx_.log);
        const std::string notice = freeAccountNotice(s.appTitle, s.linkMinutes);
        if (!policyAllows(verdict)) {
            page_.lblStatus->setText(qs(policyRefusalText(s.linkMinutes, s.waitMinutes)));
            ctx_.services.messageBoxes->information(s.appTitle, notice);
            redialing_ = false;
            return;
        }
        if (policyWantsNotice(verdict))
            ctx_.services.messageBoxes->information(s.appTitle, notice);
    }

    page_.BConn->setEnabled(false);
    ctx_.dialState->connectionHandle = 0;
    page_.setStatus(QStringLiteral("连接中..."), kStatusGreen);
    showLinkState(LinkState::Connecting);

    if (page_.LocalLineTypev->text() == QStringLiteral("自动"))
        selectNodeAutomatically();
    window_.unsetCursor();

    if (!s.phonebookPath.empty() && std::filesystem::exists(s.phonebookPath)) {
        startDialWorker();
        return;
    }
    page_.BConn->setEnabled(true);
    page_.lblStatus->setText(QStringLiteral("连接过程中出现错误!"));
    ctx_.log.write("拨号文件" + s.phonebookPath + "不存在!");
    showLinkState(redialing_ ? LinkState::Dropped : LinkState::Disconnected);
    redialing_ = false;
}

void ConnectionController::selectNodeAutomatically()
{
    try {
        const std::string appDir = ctx_.config.paths.appDir;
        const std::string file = ctx_.session.nodeListFile;
        const std::optional<AutoSelection> result = selectBestNode(
            [appDir, file] { return loadNodeList(appDir, file); }, *ctx_.services.icmp, *ctx_.nodeChoice);
        if (!result)
            return; // nothing measured: "自动" stays and the next Connect chooses again
        page_.ShowLine->setText(qs(result->showLineText));
        page_.LocalLineTypev->setText(qs(result->caption));
        widgets::setSong9(page_.Linkmodev);
        widgets::setSong9(page_.ShowLine);
    } catch (...) {
        // the dial goes on with whatever the choice holds
    }
}

void ConnectionController::startDialWorker()
{
    DialRequest request;
    request.dialTool = ctx_.config.dialTool;
    request.appDir = ctx_.config.paths.appDir;
    request.entryName = ctx_.session.entryName;
    request.user = ctx_.session.portalUser;
    request.password = ctx_.session.portalPassword;
    request.phonebookPath = ctx_.session.phonebookPath;
    request.serverIp = ctx_.nodeChoice->serverIp();
    try {
        DialWorker::start(ctx_, this, std::move(request));
    } catch (const std::system_error&) {
        // No thread for the dial: as when the dial tool cannot start, the
        // window stays connecting and the tray can try again.
        ctx_.log.write("拷贝文件出错!");
    }
}

void ConnectionController::applyConnectedState()
{
    page_.BConn->setEnabled(true);
    page_.BConn->setText(QStringLiteral("断开"));
    page_.setStatus(QStringLiteral("已连接!"), kStatusGreen);
    page_.SetLine->setEnabled(false);
    page_.SetLinkMode->setEnabled(false);
    page_.IsServer->setEnabled(false);
    Timer1->start();
    Timer2->start();
    tray_.ExitX1->setEnabled(false);
    tray_.L1->setEnabled(false);
    tray_.C1->setEnabled(true);
    page_.AutoT->hide();
    showLinkState(LinkState::Connected);
    if (redialing_)
        tray_.notify(redialedNotice(page_.LocalLineTypev->text().toStdString()), false);
    redialing_ = false;
    window_.close(); // hides into the notification area
}

void ConnectionController::showDialFailure(const std::string& message)
{
    page_.BConn->setEnabled(true);
    page_.lblStatus->setText(qs(message));
    ctx_.log.write(message);
    showLinkState(redialing_ ? LinkState::Dropped : LinkState::Disconnected);
    if (redialing_)
        tray_.notify(redialFailedNotice(message), true);
    redialing_ = false;
}

void ConnectionController::showAutoT()
{
    page_.AutoT->show();
}

bool ConnectionController::fullRelayChecked() const
{
    return phonebook_.fullRelayChecked();
}

void ConnectionController::hangUp()
{
    if (const auto handle = ctx_.dialState->connectionHandle.exchange(0))
        ctx_.services.remoteAccess->hangUp(handle);
}

void ConnectionController::showLinkState(LinkState state)
{
    tray_.showLinkStatus({ state, page_.LocalLineTypev->text().toStdString(),
        page_.Lxmit->text().toStdString(), page_.LRecv->text().toStdString() });
}

void ConnectionController::disconnectBranch()
{
    window_.unsetCursor();
    hangUp();
    page_.BConn->setText(QStringLiteral("连接"));
    page_.setStatus(QStringLiteral("未连接..."), kStatusGreen);
    page_.SetLine->setEnabled(true);
    page_.SetLinkMode->setEnabled(true);
    page_.IsServer->setEnabled(ctx_.session.fullRelayAllowed == 1);
    Timer1->stop();
    Timer2->stop();
    tray_.ExitX1->setEnabled(true);
    tray_.L1->setEnabled(true);
    tray_.C1->setEnabled(false);
    page_.Lxmit->setText(QStringLiteral("0"));
    page_.LRecv->setText(QStringLiteral("0"));
    page_.Linktimev->setText(QStringLiteral("00:00:00"));
    redialing_ = false;
    showLinkState(LinkState::Disconnected);
    ctx_.log.write("连接断开!");
}

void ConnectionController::timer1Timer()
{
    try {
        const auto stats = ctx_.services.remoteAccess->statistics(ctx_.dialState->connectionHandle);
        if (!stats)
            return;
        page_.Lxmit->setText(qs(formatKilobytes(stats->bytesSent)));
        page_.LRecv->setText(qs(formatKilobytes(stats->bytesReceived)));
        page_.Linktimev->setText(qs(formatConnectionTime(stats->durationMs)));
        if (tray_.linkStatus().state == LinkState::Connected)
            showLinkState(LinkState::Connected);
        if (ctx_.session.accountState == 0
            && connectionLimitReached(stats->durationMs, ctx_.session.linkMinutes))
            bConnClick();
    } catch (...) {
    }
}

void ConnectionController::timer2Timer()
{
    try {
        if (ctx_.dialState->dialInProgress)
            return;
        if (!linkLost(ctx_.services.remoteAccess->connectionStatus(ctx_.dialState->connectionHandle)))
            return;
        hangUp();
        Timer1->stop();
        page_.BConn->setText(QStringLiteral("连接"));
        page_.setStatus(QStringLiteral("连接中断!"), kStatusRed);
        page_.SetLine->setEnabled(true);
        tray_.ExitX1->setEnabled(true);
        tray_.C1->setEnabled(false);
        ctx_.log.write("连接中断!");
        const bool redial = page_.LinkADisc->isChecked();
        showLinkState(LinkState::Dropped);
        tray_.notify(linkDroppedNotice(redial), true);
        if (redial) {
            redialing_ = true;
            bConnClick();
        } else {
            Timer2->stop();
        }
    } catch (...) {
    }
}

void ConnectionController::sessionEnding()
{
    if (ctx_.dialState->connectionHandle != 0)
        bConnClick();
    QThread::msleep(1000);
}
