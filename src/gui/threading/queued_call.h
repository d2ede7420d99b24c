#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>

// Runs f on target's thread, after what was queued there before; dropped
// when target is gone by then. For worker threads handing work to the UI.
template <typename F>
void queueTo(const QPointer<QObject>& target, F f)
{
    if (QObject* t = target.data())
        QMetaObject::invokeMethod(t, std::move(f), Qt::QueuedConnection);
}
