#include "web/ruffle_flash_view.h"

#include <QFile>

#include "web/flash_host_page.h"
#include "web/ruffle_file_server.h"

RuffleFlashView::RuffleFlashView(const RuffleFileServer& files, QWidget* parent)
    : QWebEngineView(parent)
    , files_(files)
    , page_(new FlashHostPage(this))
{
    setPage(page_);
    // The player has a context menu of its own.
    setContextMenuPolicy(Qt::NoContextMenu);
}

void RuffleFlashView::play(const QUrl& movie)
{
    const QString scheme = movie.scheme();
    if (!files_.listening() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        setHtml(QStringLiteral("<html><body style=\"background:#fff\"></body></html>"));
        return;
    }
    QFile page(QStringLiteral(":/zavtrel_web/flash_host.html"));
    page.open(QIODevice::ReadOnly);
    QString html = QString::fromUtf8(page.readAll());
    html.replace(QLatin1String("@RUFFLE_BASE@"), files_.baseUrl());
    html.replace(QLatin1String("@COMMAND_PREFIX@"), QLatin1String(FlashHostPage::kCommandPrefix));
    setHtml(html, movie);
}

void RuffleFlashView::setCommandHandler(
    std::function<void(const QString& command, const QString& args)> handler)
{
    page_->setCommandHandler(std::move(handler));
}
