#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace platform {

LocalDateTime SystemClock::now() const
{
    const auto tp = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(tp);
    std::tm tm {};
    localtime_r(&secs, &tm);
    const auto ms
        = std::chrono::duration_cast<std::chrono::milliseconds>(tp.time_since_epoch()).count() % 1000;
    return { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
        static_cast<int>(ms) };
}

std::int64_t SystemClock::steadyMilliseconds() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace platform
