#include "gui/content/news_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QUrl>

#include "core/account/login_reply.h"
#include "gui/content/web_content_loader.h"

NewsWindow::NewsWindow(const std::string& title, const std::string& width, const std::string& height,
    const std::string& pageUrl, QWidget* parent)
    : QWidget(parent,
        Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form4"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Lumora信息资讯"));
    resize(606, 475);
    try {
        formCreate(title, width, height, pageUrl);
    } catch (...) {
        // the remaining steps are dropped
    }
}

webcontent::WebView* NewsWindow::webBrowser() const
{
    return browserWidget_ ? browser_ : nullptr;
}

void NewsWindow::formCreate(
    const std::string& title, const std::string& width, const std::string& height, const std::string& pageUrl)
{
    setWindowOpacity(0.0);

    int w = 0;
    int h = 0;
    if (!parseReplyInt(width, w) || !parseReplyInt(height, h))
        return;
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    outerSize_ = QSize(w + 21, h + 35);
    // The frame is not known before the window is mapped; corrected then.
    resize(outerSize_.expandedTo(QSize(1, 1)));

    setWindowTitle(QString::fromStdString(title));

    webcontent::Module* module = webcontent::loadModule();
    if (!module)
        return;
    browser_ = module->createWebView(this);
    browserWidget_ = browser_->widget();
    browserWidget_->setObjectName(QStringLiteral("WebBrowser1"));
    browserWidget_->setGeometry(-1, -1, 596, 439);
    browser_->setLoadFinishedHandler([this](bool ok) { webBrowser1DocumentComplete(ok); });
    browser_->navigate(QUrl(QString::fromStdString(pageUrl)));
}

void NewsWindow::webBrowser1DocumentComplete(bool ok)
{
    if (!ok || completed_)
        return;
    completed_ = true;
    // Colour-key transparency (purple shown as transparent) has no
    // counterpart for a browser view here: the window becomes fully opaque.
    setWindowOpacity(1.0);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - QPoint(outerSize_.width() / 2, outerSize_.height() / 2));
    show();
    raise();
    fitFrame();
}

void NewsWindow::fitFrame()
{
    // The window manager tells its frame only after it has taken the window
    // in: the outer size is corrected once it is known, for up to 5 s (no
    // frame at all leaves the outer size the window's own).
    auto* wait = new QTimer(this);
    wait->setInterval(50);
    connect(wait, &QTimer::timeout, this, [this, wait, tries = 0]() mutable {
        const QMargins m = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        if (!m.isNull())
            resize((outerSize_ - QSize(m.left() + m.right(), m.top() + m.bottom())).expandedTo(QSize(1, 1)));
        if (!m.isNull() || ++tries >= 100)
            wait->deleteLater();
    });
    wait->start();
}
