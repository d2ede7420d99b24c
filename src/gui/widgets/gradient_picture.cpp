#include "gui/widgets/gradient_picture.h"

#include <QPainter>

GradientPicture::GradientPicture(Style style, QWidget* parent)
    : QLabel(parent)
    , style_(style)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRectF r = rect();
    if (style_ == Style::Login) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(0x1d, 0x4f, 0x91));
        g.setColorAt(1, QColor(0x0b, 0x24, 0x47));
        p.fillRect(r, g);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 16));
        p.drawEllipse(QPointF(r.width() - 26, 90), 100, 100);
        p.setBrush(QColor(255, 255, 255, 8));
        p.drawEllipse(QPointF(20, r.height() - 40), 120, 120);
    } else {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(0xee, 0xf3, 0xfa));
        g.setColorAt(1, QColor(0xd6, 0xe2, 0xf2));
        p.fillRect(r, g);
        p.fillRect(QRectF(0, 0, r.width(), 92), QColor(0x1d, 0x4f, 0x91));
        p.fillRect(QRectF(0, 88, r.width(), 4), QColor(0x2a, 0x66, 0xb5));
    }
}
