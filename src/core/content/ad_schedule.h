#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/ad_config.h"

// The advertisement schedule and its clock. Entries are consumed from the
// front; only the head is compared with the clock, and only for equality, so
// an entry that is never due blocks every later one. UI thread only.
class AdSchedule {
public:
    static constexpr std::int32_t kFirstTick = 10;
    static constexpr std::int32_t kTickSeconds = 10;

    // A fetch run reached the schedule: both lists are replaced; the clock
    // keeps counting.
    void replace(const std::vector<AdEntryConfig>& entries);
    bool hasLists() const { return hasLists_; }
    std::size_t size() const { return times_.size(); }

    // One tick of the schedule timer. Returns the movie to show when the head
    // entry is due now (and removes it); the clock advances in every case.
    std::optional<std::string> tick();
    std::int32_t clock() const { return clock_; }

    // Decimal integer text, optionally signed; anything else fails.
    static bool parseTime(std::string_view text, std::int32_t& out);

private:
    bool hasLists_ = false;
    std::deque<std::string> times_;
    std::deque<std::string> urls_;
    std::int32_t clock_ = kFirstTick;
};
