#include "gui/content/flash_banner.h"

#include <QEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "gui/content/web_content_loader.h"

FlashBanner::FlashBanner(QWidget* placeholder, std::string movieUrl, QObject* parent)
    : QObject(parent)
    , placeholder_(placeholder)
    , movieUrl_(std::move(movieUrl))
{
    placeholder->installEventFilter(this);
    if (placeholder->isVisible())
        QTimer::singleShot(0, this, &FlashBanner::start);
}

webcontent::FlashView* FlashBanner::flash() const
{
    return flashWidget_ ? flash_ : nullptr;
}

bool FlashBanner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == placeholder_ && event->type() == QEvent::Show)
        QTimer::singleShot(0, this, &FlashBanner::start); // not inside the show itself
    return QObject::eventFilter(watched, event);
}

void FlashBanner::start()
{
    if (flashWidget_ || !placeholder_)
        return;
    placeholder_->removeEventFilter(this);
    webcontent::Module* module = webcontent::loadModule();
    if (!module)
        return;
    flash_ = module->createFlashView(placeholder_);
    flashWidget_ = flash_->widget();
    flashWidget_->setObjectName(QStringLiteral("ShockwaveFlash1Player"));
    flashWidget_->setGeometry(0, 0, placeholder_->width(), placeholder_->height());
    flashWidget_->show();
    flash_->play(QUrl(QString::fromStdString(movieUrl_)));
}
