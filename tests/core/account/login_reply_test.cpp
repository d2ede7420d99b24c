#include <gtest/gtest.h>

#include "core/account/login_reply.h"

TEST(SplitString, Rules)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(splitString("", '|'), V {});
    EXPECT_EQ(splitString("abc", '|'), V { "abc" });
    EXPECT_EQ(splitString("a|b", '|'), (V { "a", "b" }));
    EXPECT_EQ(splitString("a|", '|'), (V { "a", "" }));
    EXPECT_EQ(splitString("|", '|'), (V { "", "" }));
    EXPECT_EQ(splitString("||x", '|'), (V { "", "", "x" }));
}

TEST(LoginReply, Classification)
{
    EXPECT_EQ(classifyLoginReply("xx ok! yy"), LoginVerdict::Success);
    EXPECT_EQ(classifyLoginReply("stop ok!"), LoginVerdict::Success);
    EXPECT_EQ(classifyLoginReply("service stop"), LoginVerdict::Stopped);
    EXPECT_EQ(classifyLoginReply("OK! STOP"), LoginVerdict::Refused);
    EXPECT_EQ(classifyLoginReply(""), LoginVerdict::Refused);
}

namespace {
// Items 0..15 of a success reply.
std::vector<std::string> items()
{
    return { "ok!", "1.2.3.4", "10", "30", "1", "2.9", "0", "1", "", "0", "title", "", "480", "320", "0",
        "" };
}
std::string join(const std::vector<std::string>& v)
{
    std::string s;
    for (size_t i = 0; i < v.size(); ++i)
        s += (i ? "|" : "") + v[i];
    return s;
}
} // namespace

TEST(LoginReply, ParsesSixteenItemsWithEmptyOnes)
{
    const auto r = parseLoginReply(join(items()));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->clientIp, "1.2.3.4");
    EXPECT_EQ(r->daysLeft, "30");
    EXPECT_EQ(r->accountState, 1);
    EXPECT_EQ(r->fullRelayAllowed, 1);
    EXPECT_EQ(r->newsWidth, "480");
    // Item 0 is whatever precedes the first "|", so "ok!" may sit in the middle.
    auto v = items();
    v[0] = "welcome";
    v[15] = "tail ok! more";
    EXPECT_TRUE(parseLoginReply(join(v) + "|extra|items"));
}

TEST(LoginReply, FailsOnFewerItemsOrNonIntegers)
{
    auto v = items();
    v.pop_back();
    EXPECT_FALSE(parseLoginReply(join(v))) << "15 items";
    for (int i : { 4, 6, 7, 9, 14 }) {
        auto bad = items();
        bad[static_cast<size_t>(i)] = i == 14 ? "" : "x1";
        EXPECT_FALSE(parseLoginReply(join(bad))) << "item " << i;
    }
    auto textItems = items();
    textItems[12] = "wide"; // a text item may hold anything
    EXPECT_TRUE(parseLoginReply(join(textItems)));
}

TEST(LoginReply, VersionAndSwitches)
{
    EXPECT_TRUE(versionAccepted("2.9"));
    for (const char* v : { "2.90", "3.0", "2.8", "", " 2.9" })
        EXPECT_FALSE(versionAccepted(v)) << v;
    EXPECT_TRUE(switchApplies(2, true));
    EXPECT_TRUE(switchApplies(2, false));
    EXPECT_TRUE(switchApplies(1, false));
    EXPECT_FALSE(switchApplies(1, true));
    EXPECT_FALSE(switchApplies(0, false));
    EXPECT_FALSE(switchApplies(3, false));
}
