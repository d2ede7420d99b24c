#include <gtest/gtest.h>

#include "core/account/connection_policy.h"
#include "tests/support/fakes.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_dir.h"

TEST(ConnectionPolicy, SplitTable)
{
    struct Case {
        const char* reply;
        const char* link;
        const char* wait;
        const char* verdict;
    };
    const Case cases[] = {
        { "30~5|OK", "30", "5", "OK" },
        { "30~5|OK|x~y", "30", "5", "OK|x~y" },
        { "30~5 OK", "30", "", "30~5 OK" }, // no "|": the whole reply is the verdict
        { "12345|OK", "", "1234", "OK" }, // no "~": all before "|" but the last
        { "~|NOMSG", "", "", "NOMSG" },
        { "", "", "", "" },
        { "1~|OK", "1", "", "OK" },
    };
    for (const auto& c : cases) {
        const PolicyReply p = splitPolicyReply(c.reply);
        EXPECT_EQ(p.linkMinutes, c.link) << c.reply;
        EXPECT_EQ(p.waitMinutes, c.wait) << c.reply;
        EXPECT_EQ(p.verdict, c.verdict) << c.reply;
    }
    EXPECT_TRUE(policyAllows("xOKx"));
    EXPECT_FALSE(policyAllows("NOMSG"));
    EXPECT_FALSE(policyAllows(""));
    EXPECT_FALSE(policyWantsNotice("OK NOMSG"));
    EXPECT_TRUE(policyWantsNotice("OK"));
}

TEST(ConnectionPolicy, FetchSetsValuesOrLogsAndKeepsThem)
{
    TempDir dir;
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    EventLog log(clock, dir.file("log.txt"));
    int status = 200;
    RecordingHttpServer server([&](const std::string&) {
        return RecordingHttpServer::Reply { status, "30~7|OK", {} };
    });
    SocketHttpClient http;
    std::string link, wait;
    EXPECT_EQ(fetchConnectionPolicy(http, server.base(), "u", link, wait, log), "OK");
    EXPECT_EQ(link, "30");
    EXPECT_EQ(wait, "7");
    EXPECT_FALSE(fileExists(dir.file("log.txt")));

    status = 500;
    EXPECT_EQ(fetchConnectionPolicy(http, server.base(), "u", link, wait, log), "");
    EXPECT_EQ(link, "30");
    EXPECT_EQ(wait, "7");
    EXPECT_EQ(readBytes(dir.file("log.txt")),
        "[2026-03-05 07:08:09]\xBB\xF1\xC8\xA1\xC9\xCF\xB4\xCE\xB5\xC7\xC2\xBD"
        "\xD0\xC5\xCF\xA2\xCA\xA7\xB0\xDC!\r\n");
    EXPECT_EQ(fetchConnectionPolicy(http, "http://127.0.0.1:1/", "u", link, wait, log), "");
}
