#pragma once

#include <QObject>

class AdPopup;
class AdSchedule;

// The handler of the schedule timer (Timer5): shows the due movie in the
// pop-up. Failures are ignored; the schedule's clock advances on every tick.
class AdScheduleTicker : public QObject {
    Q_OBJECT
public:
    AdScheduleTicker(AdSchedule& schedule, AdPopup& popup, QObject* parent = nullptr);

    void timer5Timer();

private:
    AdSchedule& schedule_;
    AdPopup& popup_;
};
