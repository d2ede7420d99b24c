#pragma once

#include <QObject>
#include <QTimer>

#include "core/shell/trim_tick.h"

// Trims the working set once a second on the UI thread.
class WorkingSetTrimmer : public QObject {
    Q_OBJECT
public:
    explicit WorkingSetTrimmer(platform::WorkingSet& workingSet, QObject* parent = nullptr);
    void start() { timer_.start(); }
    void stop() { timer_.stop(); }
    bool isActive() const { return timer_.isActive(); }

private:
    QTimer timer_;
    TrimTick tick_;
};
