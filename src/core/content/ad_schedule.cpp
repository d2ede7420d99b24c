#include "core/content/ad_schedule.h"

#include "base/ini_file.h"

void AdSchedule::replace(const std::vector<AdEntryConfig>& entries)
{
    times_.clear();
    urls_.clear();
    for (const auto& e : entries) {
        times_.push_back(e.adTime);
        urls_.push_back(e.url);
    }
    hasLists_ = true;
}

std::optional<std::string> AdSchedule::tick()
{
    std::optional<std::string> due;
    std::int32_t t = 0;
    if (!times_.empty() && parseTime(times_.front(), t) && t == clock_) {
        due = std::move(urls_.front());
        times_.pop_front();
        urls_.pop_front();
    }
    // Wraps like the 32-bit counter it stands for, without overflowing.
    clock_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(clock_) + kTickSeconds);
    return due;
}

bool AdSchedule::parseTime(std::string_view text, std::int32_t& out)
{
    return parseDecimalInt(text, out);
}
