#include "gui/content/content_controller.h"

#include <QDir>
#include <QTimer>

#include "gui/client_context.h"
#include "gui/content/ad_popup.h"
#include "gui/content/ad_schedule_ticker.h"
#include "gui/content/button_bar.h"
#include "gui/content/config_fetch_worker.h"
#include "gui/content/flash_banner.h"
#include "gui/connection/connection_page.h"
#include "gui/content/news_window.h"
#include "gui/login/account_panel.h"
#include "gui/widgets/image_button.h"
#include "gui/widgets/widget_factory.h"
#include "gui/widgets/pixmap_file.h"

ContentController::ContentController(ClientContext& ctx, AccountPanel& account, QObject* parent)
    : QObject(parent)
    , ctx_(ctx)
    , account_(account)
{
    Timer5 = widgets::timer(this, "Timer5", 10000);
    buttonBar_ = new ButtonBar(
        { &account, account.bsSkinSpeedButton1, account.Titlelb, account.Mainpanel, account.SoftPanel },
        ctx.config.paths.resDir, this);
    new FlashBanner(account.ShockwaveFlash1, ctx.config.contentBase + "admain.swf", this);
}

ContentController::~ContentController()
{
    for (const auto& w : newsWindows_)
        delete w.data();
}

void ContentController::setAdPopup(AdPopup& popup)
{
    adTicker_ = new AdScheduleTicker(adSchedule_, popup, this);
    connect(Timer5, &QTimer::timeout, adTicker_, &AdScheduleTicker::timer5Timer);
}

void ContentController::restoreFirstButtonImage()
{
    const QString resDir = QString::fromStdString(ctx_.config.paths.resDir);
    if (QDir(resDir).exists()) {
        const QPixmap pic = loadPixmap(resDir + QStringLiteral("tuvekb.bmp"));
        if (!pic.isNull())
            account_.bsSkinSpeedButton1->setPicture(pic);
    } else {
        QDir().mkpath(resDir);
    }
}

void ContentController::startConfigFetch()
{
    ConfigFetchJob job;
    job.contentBase = ctx_.config.contentBase;
    job.appDir = ctx_.config.paths.appDir;
    job.resDir = ctx_.config.paths.resDir;
    job.nodeListFile = ctx_.session.nodeListFile;
    ConfigFetchWorker::start(
        ctx_.workers, std::move(job), { *buttonBar_, adSchedule_, ctx_.session, ctx_.settings, ctx_.log });
}

void ContentController::startSchedule()
{
    // Switched on again while it runs, it keeps its phase.
    if (!Timer5->isActive())
        Timer5->start();
}

void ContentController::openNewsWindow()
{
    const Session& s = ctx_.session;
    newsWindows_.push_back(new NewsWindow(s.newsTitle, s.newsWidth, s.newsHeight, ctx_.config.newsPageUrl));
}
