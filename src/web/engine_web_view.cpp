#include "web/engine_web_view.h"

EngineWebView::EngineWebView(QWidget* parent)
    : QWebEngineView(parent)
{
    // The page's loadFinished reports the top-level page only, never a frame.
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (loadFinished_)
            loadFinished_(ok);
    });
}

void EngineWebView::navigate(const QUrl& url)
{
    setUrl(url);
}

void EngineWebView::setLoadFinishedHandler(std::function<void(bool ok)> handler)
{
    loadFinished_ = std::move(handler);
}
