#pragma once

#include <cstdint>

namespace platform {

// Local wall-clock time, broken down the way the client formats it.
struct LocalDateTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0; // 1..31
    int hour = 0; // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Time source. Injected everywhere a time stamp or a duration is taken so that
// tests can fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    // Monotonic milliseconds, for durations.
    virtual std::int64_t steadyMilliseconds() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
    std::int64_t steadyMilliseconds() const override;
};

} // namespace platform
