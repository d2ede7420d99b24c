#include "gui/content/ad_popup.h"

#include <QScreen>
#include <QUrl>

#include "gui/content/web_content_loader.h"

AdPopup::AdPopup(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Form2"));
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

webcontent::FlashView* AdPopup::flash() const
{
    return flashWidget_ ? flash_ : nullptr;
}

void AdPopup::showMovie(const std::string& url)
{
    if (!flashWidget_) {
        if (webcontent::Module* module = webcontent::loadModule()) {
            flash_ = module->createFlashView(this);
            flashWidget_ = flash_->widget();
            flashWidget_->setObjectName(QStringLiteral("ShockwaveFlash1"));
            flashWidget_->setGeometry(rect());
            flash_->setCommandHandler([this](const QString& command, const QString& args) {
                shockwaveFlash1FSCommand(command, args);
            });
        }
    }
    if (flashWidget_)
        flash_->play(QUrl(QString::fromStdString(url)));
    show();
}

void AdPopup::shockwaveFlash1FSCommand(const QString& command, const QString&)
{
    if (command == QLatin1String("quit"))
        close();
}

void AdPopup::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    formShow();
}

void AdPopup::formShow()
{
    const QScreen* s = screen();
    if (!s)
        return;
    // The work area's right and bottom are the first pixels outside it.
    const QRect work = s->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(work.x() + work.width() - outer.width() - 2, work.y() + work.height() - outer.height() - 5);
}
