#include <gtest/gtest.h>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "base/event_log.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

TEST(EventLog, AppendsStampedGbkLinesWithCrLf)
{
    TempDir dir;
    auto clock = std::make_shared<FakeClock>();
    clock->time = { 2026, 1, 2, 3, 4, 5, 0 };
    EventLog log(clock, dir.file("log.txt"));
    log.write("连接成功!");
    log.write("second");
    EXPECT_EQ(readBytes(dir.file("log.txt")),
        "[2026-01-02 03:04:05]\xC1\xAC\xBD\xD3\xB3\xC9\xB9\xA6!\r\n[2026-01-02 03:04:05]second\r\n");
}

TEST(EventLog, DefaultsToTheCurrentDirectory)
{
    TempDir dir;
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    auto clock = std::make_shared<FakeClock>();
    EventLog(clock).write("x");
    std::filesystem::current_path(old);
    EXPECT_TRUE(fileExists(dir.file("log.txt")));
}

TEST(EventLog, FailureIsSilent)
{
    auto clock = std::make_shared<FakeClock>();
    EventLog log(clock, "/nonexistent-dir/log.txt");
    EXPECT_NO_THROW(log.write("lost"));
}

TEST(EventLog, ConcurrentCallersNeverDropOrInterleaveLines)
{
    TempDir dir;
    auto clock = std::make_shared<FakeClock>();
    EventLog log(clock, dir.file("log.txt"));
    constexpr int kThreads = 4, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i)
                log.write("thread" + std::to_string(t) + "-" + std::string(50, 'x'));
        });
    for (auto& t : threads)
        t.join();
    const std::string content = readBytes(dir.file("log.txt"));
    const std::string expectedLine = "[2026-03-05 07:08:09]thread0-" + std::string(50, 'x') + "\r\n";
    EXPECT_EQ(content.size(), expectedLine.size() * kThreads * kLines);
    size_t pos = 0, lines = 0;
    while (pos < content.size()) {
        const size_t end = content.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(end - pos + 2, expectedLine.size());
        pos = end + 2;
        ++lines;
    }
    EXPECT_EQ(lines, static_cast<size_t>(kThreads * kLines));
}
