#include <gtest/gtest.h>
#include <httplib.h>

#include "core/account/portal_links.h"
#include "core/cipher/md5.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"
#include "tools/service/reference_service.h"

TEST(PortalLinks, SignedQueryWithAFixedClock)
{
    FakeClock clock;
    clock.time = { 2027, 3, 5, 7, 8, 9, 999 };
    const std::string q = buildPortalQuery("张 三", "pw", clock);
    // The user as the login sends it: GBK bytes, the space escaped.
    EXPECT_EQ(q,
        "SiteCheck.aspx?u=\xD5\xC5%20\xC8\xFD&t=20270305070809&c=" + cipher::md5Hex("20270305070809pw")
            + "&r=");
    EXPECT_EQ(
        kickAddress("http://p/", "张 三&x"), "http://p/ClearContact.aspx?Username=\xD5\xC5%20\xC8\xFD%26x");
    // Before any login: empty user, the signature of the stamp alone.
    EXPECT_EQ(buildPortalQuery("", "", clock),
        "SiteCheck.aspx?u=&t=20270305070809&c=" + cipher::md5Hex("20270305070809") + "&r=");
    // The password goes into the digest as GBK bytes.
    EXPECT_EQ(buildPortalQuery("u", "密码", clock),
        "SiteCheck.aspx?u=u&t=20270305070809&c=" + cipher::md5Hex("20270305070809\xC3\xDC\xC2\xEB") + "&r=");
}

TEST(PortalLinks, ReferenceServiceAcceptsAFreshSignatureOnly)
{
    TempDir data;
    writeBytes(
        data.file("accounts.ini"), "[demo]\r\npassword=demo123\r\n[\xD5\xC5\xC8\xFD]\r\npassword=pw\r\n");
    ReferenceService service(data.path());
    ASSERT_TRUE(service.start(0));
    platform::SystemClock clock;
    httplib::Client client("127.0.0.1", service.port());
    const auto get = [&](const std::string& path) { return client.Get(path.c_str())->status; };
    EXPECT_EQ(get("/" + buildPortalQuery("demo", "demo123", clock) + "Pay.aspx"), 200);
    EXPECT_EQ(get("/" + buildPortalQuery("demo", "wrong", clock) + "Pay.aspx"), 403);
    // A Chinese name reaches the portal as the name the account has.
    EXPECT_EQ(get("/" + buildPortalQuery("张三", "pw", clock) + "Pay.aspx"), 200);
    FakeClock old;
    old.time = { 2001, 1, 1, 0, 0, 0, 0 };
    EXPECT_EQ(get("/" + buildPortalQuery("demo", "demo123", old) + "Pay.aspx"), 403);
}
