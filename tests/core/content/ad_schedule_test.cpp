#include <gtest/gtest.h>

#include "core/content/ad_schedule.h"

namespace {

std::vector<AdEntryConfig> schedule(std::initializer_list<const char*> times)
{
    std::vector<AdEntryConfig> out;
    int n = 0;
    for (const char* t : times)
        out.push_back({ t, "movie" + std::to_string(++n) });
    return out;
}

// The movie shown on each tick ("" for none), for ticks 1..count.
std::vector<std::string> run(AdSchedule& s, int count)
{
    std::vector<std::string> shown;
    for (int i = 0; i < count; ++i)
        shown.push_back(s.tick().value_or(""));
    return shown;
}

} // namespace

TEST(AdSchedule, OnlyTheHeadIsComparedAndOnlyForEquality)
{
    struct Case {
        const char* what;
        std::vector<AdEntryConfig> entries;
        std::vector<std::string> shown; // per tick
        size_t left;
    };
    const Case cases[] = {
        { "10/30/30: first, third tick, never", schedule({ "10", "30", "30" }),
            { "movie1", "", "movie2", "", "", "" }, 1 },
        { "15 is never due and blocks the rest", schedule({ "15", "20" }), { "", "", "", "" }, 2 },
        { "not an integer blocks the rest", schedule({ "1O", "20" }), { "", "", "" }, 2 },
        { "empty time blocks the rest", schedule({ "", "10" }), { "", "", "" }, 2 },
        { "hexadecimal is not decimal", schedule({ "0x14" }), { "", "", "" }, 1 },
        { "a signed time is still decimal", schedule({ "+10", "20" }), { "movie1", "movie2" }, 0 },
        { "the same time twice: once", schedule({ "20", "20", "30" }), { "", "movie1", "", "" }, 2 },
        { "empty schedule", {}, { "", "" }, 0 },
    };
    for (const auto& c : cases) {
        AdSchedule s;
        s.replace(c.entries);
        EXPECT_EQ(run(s, static_cast<int>(c.shown.size())), c.shown) << c.what;
        EXPECT_EQ(s.size(), c.left) << c.what;
        EXPECT_EQ(s.clock(), 10 + 10 * static_cast<int>(c.shown.size())) << c.what;
    }
}

TEST(AdSchedule, TicksBeforeAnyScheduleOnlyAdvanceTheClock)
{
    AdSchedule s;
    EXPECT_FALSE(s.hasLists());
    EXPECT_EQ(s.clock(), 10);
    EXPECT_EQ(run(s, 3), (std::vector<std::string> { "", "", "" }));
    EXPECT_EQ(s.clock(), 40);

    // A schedule that arrives late: what is already past never shows.
    s.replace(schedule({ "20", "40", "60" }));
    EXPECT_TRUE(s.hasLists());
    EXPECT_EQ(run(s, 4), (std::vector<std::string> { "", "", "", "" }));
    EXPECT_EQ(s.size(), 3u);

    // A new fetch replaces the lists and keeps the clock.
    s.replace(schedule({ "90", "100" }));
    EXPECT_EQ(s.clock(), 80);
    EXPECT_EQ(run(s, 3), (std::vector<std::string> { "", "movie1", "movie2" }));
}

TEST(AdSchedule, TimesAreStrictDecimalIntegers)
{
    std::int32_t t = 0;
    ASSERT_TRUE(AdSchedule::parseTime("2147483647", t));
    EXPECT_FALSE(AdSchedule::parseTime("2147483648", t));
    EXPECT_FALSE(AdSchedule::parseTime("1 ", t));
    EXPECT_FALSE(AdSchedule::parseTime("++1", t));
    EXPECT_FALSE(AdSchedule::parseTime("+-1", t));
    EXPECT_TRUE(AdSchedule::parseTime("-5", t));
    EXPECT_EQ(t, -5);
}
