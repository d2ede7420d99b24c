#include "gui/widgets/image_button.h"

#include <QPainter>

ImageButton::ImageButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void ImageButton::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

QSize ImageButton::sizeHint() const
{
    return picture_.isNull() ? QSize(30, 30) : picture_.size();
}

void ImageButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!picture_.isNull())
        p.drawPixmap(rect(), picture_);
    if (isDown())
        p.fillRect(rect(), QColor(0, 0, 0, 40));
    if (hasFocus()) {
        p.setPen(QPen(QColor(255, 255, 255, 160), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void ImageButton::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    emit mouseEntered();
}

void ImageButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    emit mouseLeft();
}
