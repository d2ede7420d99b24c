#pragma once

#include <QWebEnginePage>
#include <functional>

// The page that hosts the Flash player. The player's fscommand calls reach
// the host as console lines that start with kCommandPrefix.
class FlashHostPage final : public QWebEnginePage {
public:
    static constexpr const char* kCommandPrefix = "zavtrel-fscommand:";
    using CommandHandler = std::function<void(const QString& command, const QString& args)>;

    explicit FlashHostPage(QObject* parent);
    void setCommandHandler(CommandHandler handler) { handler_ = std::move(handler); }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
        const QString& source) override;

private:
    CommandHandler handler_;
};
