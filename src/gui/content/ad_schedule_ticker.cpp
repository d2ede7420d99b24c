#include "gui/content/ad_schedule_ticker.h"

#include "gui/content/ad_popup.h"
#include "core/content/ad_schedule.h"

AdScheduleTicker::AdScheduleTicker(AdSchedule& schedule, AdPopup& popup, QObject* parent)
    : QObject(parent)
    , schedule_(schedule)
    , popup_(popup)
{
}

void AdScheduleTicker::timer5Timer()
{
    try {
        if (const auto movie = schedule_.tick())
            popup_.showMovie(*movie);
    } catch (...) {
        // a tick never reports anything
    }
}
