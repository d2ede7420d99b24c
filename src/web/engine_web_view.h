#pragma once

#include <QWebEngineView>

#include "web/web_content.h"

// A plain browser view.
class EngineWebView final : public QWebEngineView, public webcontent::WebView {
public:
    explicit EngineWebView(QWidget* parent);

    QWidget* widget() override { return this; }
    void navigate(const QUrl& url) override;
    void setLoadFinishedHandler(std::function<void(bool ok)> handler) override;

private:
    std::function<void(bool)> loadFinished_;
};
