#include "base/event_log.h"

#include <cstdio>
#include <mutex>

#include "platform/gbk_codec.h"

std::string EventLog::formatLine(const platform::LocalDateTime& t, std::string_view message)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d]", t.year, t.month, t.day, t.hour,
        t.minute, t.second);
    std::string line(stamp);
    line += message;
    line += "\r\n";
    return line;
}

void EventLog::write(std::string_view message) const noexcept
{
    static std::mutex lock;
    try {
        std::lock_guard guard(lock);
        const std::string line = platform::utf8ToGbk(formatLine(clock_->now(), message));
        FILE* f = std::fopen(path_.c_str(), "ab");
        if (!f)
            return;
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    } catch (...) {
        // The line is lost; the caller goes on.
    }
}
