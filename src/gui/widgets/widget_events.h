#pragma once

#include <QObject>
#include <functional>
#include <map>

class QWidget;

// Click and hover handlers for widgets that have no such signals (labels,
// pictures). A click is a left-button release inside the widget.
class WidgetEvents : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;
    explicit WidgetEvents(QObject* parent = nullptr)
        : QObject(parent)
    {
    }

    void onClick(QWidget* widget, Handler handler);
    void onHover(QWidget* widget, Handler enter, Handler leave);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::map<QObject*, Handler> clicks_;
    std::map<QObject*, std::pair<Handler, Handler>> hovers_;
};
