// What the service takes from a caller before a backend sees it.

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include "tools/rasd/request_policy.h"

using namespace request_policy;

TEST(RequestPolicy, DialFieldsTable)
{
    struct Case {
        int (*check)(std::string_view);
        std::string value;
        int code;
    };
    const std::vector<Case> cases {
        { checkEntry, "TUVEKP", 0 },
        { checkEntry, "电信 VIP", 0 },
        { checkEntry, "../x", 623 },
        { checkEntry, "..", 623 },
        { checkEntry, "a\nb", 623 },
        { checkEntry, "", 623 },
        { checkEntry, std::string(257, 'e'), 623 },
        { checkUser, "demo user", 0 },
        { checkUser, "demo\nplugin x.so", 87 },
        { checkPassword, "p\"a's\\s w", 0 },
        { checkPassword, "pass\nword", 87 },
        { checkPassword, "pass\rword", 87 },
        { checkPassword, std::string("pa\0ss", 5), 87 },
        { checkPassword, std::string(257, 'p'), 87 },
        { checkPhone, "", 0 },
        { checkPhone, "192.0.2.1", 0 },
        { checkPhone, "vpn-1.example.net", 0 },
        { checkPhone, "1.2.3.4 plugin x.so", 87 },
        { checkPhone, "-option", 87 },
        { checkPhone, "1.2.3.4\"", 87 },
        { checkPhonebook, std::string(256 * 1024, 'x'), 0 },
        { checkPhonebook, std::string(256 * 1024 + 1, 'x'), 621 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.check(c.value), c.code) << c.value.substr(0, 40);
}

TEST(RequestPolicy, RoutesTable)
{
    struct Case {
        const char* text;
        bool parses;
        bool allowed;
        bool allowedFullRelay;
    };
    const Case cases[] = {
        { "1.0.1.0/24 5 10", true, true, true },
        { "36.96.0.0/11 5 0", true, true, true },
        { "0.0.0.0/0 5 1", true, false, true },
        { "1.0.1.1/24 5 1", true, false, false }, // host bits set
        { "127.0.0.0/8 5 1", true, false, false },
        { "0.0.0.0/8 5 1", true, false, false },
        { "224.0.0.0/4 5 1", true, false, false },
        { "240.0.0.0/5 5 1", true, false, false },
        { "96.0.0.0/3 5 1", true, false, false }, // covers loopback
        { "64.0.0.0/3 5 1", true, true, true },
        { "1.0.1.0/33 5 1", false, false, false },
        { "1.0.1.0/24 0 1", false, false, false },
        { "1.0.1.0/24 -5 1", false, false, false },
        { "1.0.1.0/24 5", false, false, false },
        { "1.0.1/24 5 1", false, false, false },
        { "1.0.1.0/24 5 1 x", false, false, false },
    };
    for (const auto& c : cases) {
        const auto r = parseRoute(c.text);
        EXPECT_EQ(r.has_value(), c.parses) << c.text;
        if (!r)
            continue;
        EXPECT_EQ(routeAllowed(*r, false), c.allowed) << c.text;
        EXPECT_EQ(routeAllowed(*r, true), c.allowedFullRelay) << c.text;
    }
}
