#pragma once

#include <functional>

#include "platform/working_set.h"

// One tick of the working-set trimmer: trim where the platform can, then let
// waiting events run. A tick that arrives while the events of an earlier tick
// run does nothing.
class TrimTick {
public:
    TrimTick(platform::WorkingSet& workingSet, std::function<void()> processPendingEvents)
        : workingSet_(workingSet)
        , processPendingEvents_(std::move(processPendingEvents))
    {
    }

    void operator()()
    {
        if (busy_)
            return;
        busy_ = true;
        struct Clear {
            bool& flag;
            ~Clear() { flag = false; }
        } clear { busy_ };
        try {
            if (workingSet_.canTrim())
                workingSet_.trim();
        } catch (...) {
        }
        processPendingEvents_();
    }

    bool busy() const { return busy_; }

private:
    platform::WorkingSet& workingSet_;
    std::function<void()> processPendingEvents_;
    bool busy_ = false;
};
