#include <gtest/gtest.h>

#include "core/vpn/connection_monitor.h"

TEST(ConnectionMonitor, KilobytesWithThousandsSeparators)
{
    struct Case {
        std::uint32_t bytes;
        const char* text;
    };
    for (const Case& c : { Case { 0, "0" }, Case { 1023, "0" }, Case { 1024, "1" }, Case { 1263616, "1,234" },
             Case { 1048576000, "1,024,000" }, Case { 0xFFFFFFFFu, "4,194,303" } }) {
        EXPECT_EQ(formatKilobytes(c.bytes), c.text) << c.bytes;
    }
    // Counters past 4 GiB arrive wrapped to 32 bits.
    const std::uint64_t fiveGiB = 5ull << 30;
    EXPECT_EQ(formatKilobytes(static_cast<std::uint32_t>(fiveGiB)), "1,048,576");
}

TEST(ConnectionMonitor, ConnectionTimeAndTheFreeAccountLimit)
{
    constexpr std::uint64_t kMin = 60000;
    EXPECT_EQ(formatConnectionTime(0), "00:00:00");
    EXPECT_EQ(formatConnectionTime(3723000), "01:02:03");
    EXPECT_EQ(formatConnectionTime(25 * 60 * kMin + 5000), "01:00:05") << "hours wrap after 24";

    struct Case {
        std::uint64_t minutes;
        const char* limit;
        bool fires;
    };
    const Case cases[] = {
        { 29, "30", false },
        { 30, "30", true },
        { 31, "30", false },
        { 5, "5", false },
        { 5, "05", true },
        { 120, "120", true },
        { 1500, "1500", true }, // past 24 h the minutes are not wrapped
        { 0, "00", true },
        { 30, "", false },
        { 30, "30 ", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(connectionLimitReached(c.minutes * kMin + 999, c.limit), c.fires)
            << c.minutes << " vs " << c.limit;
}

TEST(ConnectionMonitor, NoticeAndRefusalTexts)
{
    EXPECT_EQ(freeAccountNotice("Zavtrel加速器", "30"),
        "尊敬的用户：您使用的是Zavtrel加速器，带宽限制50K，每30分钟自动断线一次。体验8M带宽极速感受请购买Zavt"
        "relVIP版！");
    EXPECT_EQ(policyRefusalText("30", "12"), "30分钟自动断线,12分钟后可以登陆!");
}

TEST(ConnectionMonitor, TheWatchdogCountsAFailedQueryOrDisconnectedAsLost)
{
    EXPECT_TRUE(linkLost(std::nullopt));
    EXPECT_TRUE(linkLost(8193));
    EXPECT_FALSE(linkLost(8192));
    EXPECT_FALSE(linkLost(2)) << "a dial in progress is not a lost link";
}
