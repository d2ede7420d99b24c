#pragma once

#include <QWebEngineView>

#include "web/web_content.h"

class FlashHostPage;
class RuffleFileServer;

// A Flash player surface: the Ruffle player inside a browser view.
class RuffleFlashView final : public QWebEngineView, public webcontent::FlashView {
public:
    RuffleFlashView(const RuffleFileServer& files, QWidget* parent);

    QWidget* widget() override { return this; }
    void play(const QUrl& movie) override;
    void setCommandHandler(std::function<void(const QString& command, const QString& args)> handler) override;

private:
    const RuffleFileServer& files_;
    FlashHostPage* page_;
};
