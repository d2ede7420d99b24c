#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/clock.h"

// The event log: "[yyyy-mm-dd hh:mm:ss]" + message + CR LF appended to
// "log.txt" in the current directory, in GBK. Never fails towards the caller.
// Callers in all threads share one lock, so lines are never dropped or mixed.
// A cheap value: worker threads keep their own copy.
class EventLog {
public:
    explicit EventLog(std::shared_ptr<const platform::Clock> clock, std::string path = "log.txt")
        : clock_(std::move(clock))
        , path_(std::move(path))
    {
    }

    void write(std::string_view message) const noexcept;
    const std::string& path() const { return path_; }

    static std::string formatLine(const platform::LocalDateTime& t, std::string_view message);

private:
    std::shared_ptr<const platform::Clock> clock_;
    std::string path_;
};
