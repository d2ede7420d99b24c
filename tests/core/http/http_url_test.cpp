#include <gtest/gtest.h>

#include "core/http/http_url.h"

TEST(HttpUrl, TakesAnAddressApartAsItGoesOnTheWire)
{
    struct Case {
        std::string url, host;
        uint16_t port;
        std::string target, hostHeader;
    };
    const Case cases[] = {
        { "http://127.0.0.1:8080//gonggao.txt", "127.0.0.1", 8080, "//gonggao.txt", "127.0.0.1:8080" },
        { "HTTP://Portal.example", "Portal.example", 80, "/", "Portal.example" },
        { "http://h?username=a&password=b", "h", 80, "/?username=a&password=b", "h" },
        { "http://h/Exelogin.aspx?username=\xd5\xc5\xc8\xfd&password=%41#frag", "h", 80,
            "/Exelogin.aspx?username=\xd5\xc5\xc8\xfd&password=%41", "h" },
        { "http://[::1]:81/a", "::1", 81, "/a", "[::1]:81" },
        { "http://h:80/", "h", 80, "/", "h" },
    };
    for (const auto& c : cases) {
        const auto url = parseHttpUrl(c.url);
        ASSERT_TRUE(url) << c.url;
        EXPECT_EQ(url->host, c.host) << c.url;
        EXPECT_EQ(url->port, c.port) << c.url;
        EXPECT_EQ(url->target, c.target) << c.url;
        EXPECT_EQ(url->hostHeader(), c.hostHeader) << c.url;
    }
}

TEST(HttpUrl, RefusesWhatCannotGoOnTheWire)
{
    for (const char* url : { "", "https://h/", "ftp://h/", "file:///etc/passwd", "h/x", "http://",
             "http:///x", "http://h:/", "http://h:0/", "http://h:65536/", "http://h:8o/", "http://user:pw@h/",
             "http://[::1/", "http://h/a b", "http://h/a\tb", "http://h/a\r\nX: y", "http://h/\x7f" })
        EXPECT_FALSE(parseHttpUrl(url)) << url;
}

TEST(HttpUrl, ResolvesWhereARedirectPoints)
{
    const auto base = parseHttpUrl("http://h:81/dir/page.txt?q=1");
    ASSERT_TRUE(base);
    const std::pair<const char*, const char*> cases[] = {
        { "http://other/x", "http://other/x" },
        { "//other:82/x", "http://other:82/x" },
        { "/root", "http://h:81/root" },
        { "near?a=b", "http://h:81/dir/near?a=b" },
    };
    for (const auto& [location, resolved] : cases)
        EXPECT_EQ(resolveLocation(*base, location), resolved) << location;
}
