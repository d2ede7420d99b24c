#include "gui/content/button_bar.h"

#include <QLabel>
#include <QPixmap>
#include <QUrl>
#include <stdexcept>

#include "gui/widgets/image_button.h"
#include "gui/content/web_content_loader.h"

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

const std::vector<std::string> kNoItems;

} // namespace

ButtonBar::ButtonBar(const Widgets& widgets, std::string resDir, QObject* parent)
    : QObject(parent)
    , w_(widgets)
    , resDir_(std::move(resDir))
    , current_(widgets.firstButton)
{
    wire(w_.firstButton);
}

ButtonBar::~ButtonBar() = default;

void ButtonBar::wire(ImageButton* button)
{
    connect(button, &QAbstractButton::clicked, this, [this, button] { buttonClick(button); });
    connect(button, &ImageButton::mouseEntered, this, [this, button] { buttonMouseEnter(button); });
    connect(button, &ImageButton::mouseLeft, this, [this, button] { buttonMouseLeave(button); });
}

const ButtonBar::Lists& ButtonBar::lists() const
{
    if (!lists_)
        throw std::runtime_error("no bar lists");
    return *lists_;
}

const std::vector<std::string>& ButtonBar::captions() const
{
    return lists_ ? lists_->captions : kNoItems;
}

const std::vector<std::string>& ButtonBar::normalImages() const
{
    return lists_ ? lists_->normalImages : kNoItems;
}

const std::vector<std::string>& ButtonBar::hoverImages() const
{
    return lists_ ? lists_->hoverImages : kNoItems;
}

const std::vector<std::string>& ButtonBar::urls() const
{
    return lists_ ? lists_->urls : kNoItems;
}

webcontent::WebView* ButtonBar::webBrowser() const
{
    return browserWidget_ ? browser_ : nullptr;
}

int ButtonBar::indexOf(const ImageButton* button)
{
    return button->property("entryIndex").toInt();
}

void ButtonBar::loadImage(ImageButton* button, const std::string& name) const
{
    QPixmap picture;
    // The bar's images are Windows bitmaps; anything else is a failure.
    if (name.empty() || !picture.load(qs(resDir_ + name), "BMP"))
        throw std::runtime_error("cannot load bar image " + name);
    button->setPicture(picture);
    button->repaint();
}

void ButtonBar::startBar()
{
    // A repeated run builds the bar anew: the buttons of the earlier run go
    // first, so that no two buttons share a place.
    bool currentRemoved = false;
    for (const auto& b : created_) {
        if (!b)
            continue;
        currentRemoved = currentRemoved || b == current_;
        b->hide();
        b->deleteLater();
    }
    created_.clear();
    if (currentRemoved) {
        current_ = w_.firstButton;
        w_.softPanel->hide();
        w_.mainPanel->show();
    }
    lists_.emplace();
}

void ButtonBar::addEntry(int number, const BarEntryItems& items)
{
    Lists& l = lists_ ? *lists_ : lists_.emplace();
    l.captions.push_back(items.caption);
    l.normalImages.push_back(items.normalImage);
    l.hoverImages.push_back(items.hoverImage);
    l.urls.push_back(items.url);
    if (number < 2)
        return; // entry 1 belongs to the fixed first button

    auto* button = new ImageButton(w_.panel1);
    button->setObjectName(QStringLiteral("bsSkinSpeedButton%1").arg(number));
    button->setGeometry(0, 96 + 34 * (number - 1), 30, 30);
    button->setProperty("entryIndex", number - 1);
    wire(button);
    created_.push_back(button);
    button->show();
    loadImage(button, items.normalImage);
}

void ButtonBar::showFirstCaption()
{
    const Lists& l = lists();
    if (l.captions.empty())
        throw std::runtime_error("no bar captions");
    w_.titleLabel->setText(qs(l.captions.front()));
}

void ButtonBar::buttonClick(ImageButton* button)
{
    try {
        if (button == current_)
            return;
        const Lists& l = lists();
        loadImage(current_, l.normalImages.at(static_cast<size_t>(indexOf(current_))));
        current_ = button;
        const int k = indexOf(button);
        if (k == 0) {
            w_.titleLabel->setText(qs(l.captions.at(0)));
            w_.mainPanel->show();
            w_.softPanel->hide();
        } else {
            w_.mainPanel->hide();
            w_.titleLabel->setText(qs(l.captions.at(static_cast<size_t>(k))));
            w_.softPanel->show();
            navigate(l.urls.at(static_cast<size_t>(k)));
        }
    } catch (...) {
        // a failing click drops its remaining steps silently
    }
}

void ButtonBar::buttonMouseEnter(ImageButton* button)
{
    try {
        if (button != current_)
            loadImage(button, lists().hoverImages.at(static_cast<size_t>(indexOf(button))));
    } catch (...) {
    }
}

void ButtonBar::buttonMouseLeave(ImageButton* button)
{
    try {
        if (button != current_)
            loadImage(button, lists().normalImages.at(static_cast<size_t>(indexOf(button))));
    } catch (...) {
    }
}

void ButtonBar::navigate(const std::string& url)
{
    if (!browserWidget_) {
        webcontent::Module* module = webcontent::loadModule();
        if (!module)
            return;
        browser_ = module->createWebView(w_.softPanel);
        browserWidget_ = browser_->widget();
        browserWidget_->setObjectName(QStringLiteral("WebBrowser1"));
        browserWidget_->setGeometry(0, 0, w_.softPanel->width(), w_.softPanel->height());
        browserWidget_->show();
    }
    browser_->navigate(QUrl::fromUserInput(qs(url)));
}
