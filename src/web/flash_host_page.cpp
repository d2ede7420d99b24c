#include "web/flash_host_page.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineSettings>

FlashHostPage::FlashHostPage(QObject* parent)
    : QWebEnginePage(parent)
{
    settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
}

void FlashHostPage::javaScriptConsoleMessage(
    JavaScriptConsoleMessageLevel, const QString& message, int, const QString&)
{
    const QLatin1String prefix(kCommandPrefix);
    if (!message.startsWith(prefix) || !handler_)
        return;
    const QJsonArray call = QJsonDocument::fromJson(message.mid(prefix.size()).toUtf8()).array();
    if (call.size() == 2)
        handler_(call[0].toString(), call[1].toString());
}
