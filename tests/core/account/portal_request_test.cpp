#include <gtest/gtest.h>

#include "core/account/portal_request.h"
#include "tests/support/http_fixture.h"

TEST(PortalRequest, QueryValuesAreRawGbkExceptBytesThatBreakTheRequest)
{
    EXPECT_EQ(encodeQueryValue("张三"), "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(encodeQueryValue("a b&c#d+e%f"), "a%20b%26c%23d%2Be%25f");
    EXPECT_EQ(encodeQueryValue("x\r\nHost: evil"), "x%0D%0AHost:%20evil");
    EXPECT_EQ(encodeQueryValue("ok!~=/?"), "ok!~=/?");
}

// The request line and headers exactly as they reach a raw socket.
TEST(PortalRequest, LoginAndPolicyRequestsOnTheWire)
{
    RecordingHttpServer server([](const std::string&) {
        return RecordingHttpServer::Reply { 200, "x", {} };
    });
    SocketHttpClient http;
    ASSERT_TRUE(http.get(accountServerRequest(loginUrl(server.base(), "张三 x", "p&w#1"))).ok);
    ASSERT_TRUE(http.get(accountServerRequest(policyUrl(server.base(), "张三"))).ok);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(requests[0],
        "GET /Exelogin.aspx?username=\xD5\xC5\xC8\xFD%20x&password=p%26w%231 HTTP/1.1\r\n"
        "Host: "
            + host
            + "\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "Accept: text/html, */*");
    EXPECT_EQ(requests[1].substr(0, requests[1].find("\r\n")),
        "GET //GetLogin.aspx?username=\xD5\xC5\xC8\xFD HTTP/1.1");
}

TEST(PortalRequest, RedirectIsNotFollowedAndFails)
{
    int hits = 0;
    RecordingHttpServer server([&](const std::string&) {
        ++hits;
        return RecordingHttpServer::Reply { 302, "", { "Location: /elsewhere" } };
    });
    SocketHttpClient http;
    EXPECT_FALSE(http.get(accountServerRequest(loginUrl(server.base(), "u", "p"))).ok);
    EXPECT_EQ(hits, 1);
}
