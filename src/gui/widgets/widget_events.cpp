#include "gui/widgets/widget_events.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

void WidgetEvents::onClick(QWidget* widget, Handler handler)
{
    widget->installEventFilter(this);
    clicks_[widget] = std::move(handler);
}

void WidgetEvents::onHover(QWidget* widget, Handler enter, Handler leave)
{
    widget->installEventFilter(this);
    hovers_[widget] = { std::move(enter), std::move(leave) };
}

bool WidgetEvents::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const auto* me = static_cast<QMouseEvent*>(event);
        const auto it = clicks_.find(watched);
        if (it != clicks_.end() && me->button() == Qt::LeftButton
            && static_cast<QWidget*>(watched)->rect().contains(me->position().toPoint())) {
            it->second();
            return true;
        }
        break;
    }
    case QEvent::Enter:
        if (const auto it = hovers_.find(watched); it != hovers_.end() && it->second.first)
            it->second.first();
        break;
    case QEvent::Leave:
        if (const auto it = hovers_.find(watched); it != hovers_.end() && it->second.second)
            it->second.second();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
