#include <gtest/gtest.h>

#include "core/account/http_client.h"
#include "tests/support/http_fixture.h"
#include "tests/support/raw_http_server.h"

#include <chrono>

TEST(SocketHttpClient, SendsHttp11WithTheGivenHeadersAndReadsTheBody)
{
    RecordingHttpServer server([](const std::string&) {
        return RecordingHttpServer::Reply { 200, "hello", {} };
    });
    SocketHttpClient http;
    HttpRequest req;
    req.url = server.base() + "/gonggao.txt";
    req.headers = { http_headers::kUserAgent, http_headers::kAccept };
    const HttpResponse r = http.get(req);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.body, "hello");
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string head = server.requests()[0];
    EXPECT_EQ(head.substr(0, head.find("\r\n")), "GET //gonggao.txt HTTP/1.1");
    EXPECT_NE(head.find("\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)"), std::string::npos);
    EXPECT_NE(head.find("\r\nAccept: text/html, */*"), std::string::npos);
}

TEST(SocketHttpClient, ErrorStatusAndRedirectsFailUnlessFollowed)
{
    RecordingHttpServer server([](const std::string& target) {
        if (target == "/moved")
            return RecordingHttpServer::Reply { 302, "", { "Location: /here" } };
        if (target == "/here")
            return RecordingHttpServer::Reply { 200, "landed", {} };
        return RecordingHttpServer::Reply { 500, "oops", {} };
    });
    SocketHttpClient http;
    HttpRequest req;
    req.url = server.base() + "broken";
    EXPECT_FALSE(http.get(req).ok);
    req.url = server.base() + "moved";
    const HttpResponse notFollowed = http.get(req);
    EXPECT_FALSE(notFollowed.ok);
    EXPECT_EQ(notFollowed.status, 302);
    req.followRedirects = true;
    const HttpResponse followed = http.get(req);
    EXPECT_TRUE(followed.ok);
    EXPECT_EQ(followed.body, "landed");
}

TEST(SocketHttpClient, UnreachableServerFailsQuickly)
{
    SocketHttpClient http;
    HttpRequest req;
    req.url = "http://127.0.0.1:1/";
    EXPECT_FALSE(http.get(req).ok);
}

TEST(SocketHttpClient, ABodyOverTheLimitFails)
{
    RecordingHttpServer server([](const std::string&) {
        return RecordingHttpServer::Reply { 200, std::string(1001, 'x'), {} };
    });
    SocketHttpClient http;
    HttpRequest req;
    req.url = server.base();
    req.maxBodyBytes = 1001;
    EXPECT_TRUE(http.get(req).ok);
    req.maxBodyBytes = 1000;
    const HttpResponse cut = http.get(req);
    EXPECT_FALSE(cut.ok);
    EXPECT_LE(cut.body.size(), 1000u);
}

// A cookie set on the way is sent back on the next hop to the same host, and a
// redirect loop ends.
TEST(SocketHttpClient, RedirectsCarryTheExchangesCookiesAndALoopEnds)
{
    RecordingHttpServer server([](const std::string& target) {
        if (target == "/start")
            return RecordingHttpServer::Reply { 302, "moved",
                { "Set-Cookie: sid=42; Path=/", "Location: next" } };
        if (target == "/next")
            return RecordingHttpServer::Reply { 200, "arrived", {} };
        return RecordingHttpServer::Reply { 301, "", { "Location: /loop" } };
    });
    SocketHttpClient http;
    HttpRequest req;
    req.url = server.base() + "start";
    req.followRedirects = true;
    const HttpResponse r = http.get(req);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.body, "arrived");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0].find("Cookie:"), std::string::npos);
    EXPECT_NE(server.requests()[1].find("\r\nCookie: sid=42"), std::string::npos);

    req.url = server.base() + "loop";
    EXPECT_FALSE(http.get(req).ok);
    EXPECT_EQ(server.requests().size(), 2u + 11u); // the first try and ten redirects
}

TEST(SocketHttpClient, ReadsAChunkedReplyAndGivesUpOnASilentOne)
{
    RawHttpServer chunked(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\n1|0\r\n4\r\n|9|x\r\n0\r\n\r\n", true);
    RawHttpServer silent("", true);
    SocketHttpClient http;
    HttpRequest req;
    req.url = chunked.base() + "Exelogin.aspx";
    const HttpResponse r = http.get(req);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "1|0|9|x");

    req.url = silent.base();
    req.totalTimeoutMs = 500;
    const auto t0 = std::chrono::steady_clock::now();
    const HttpResponse quiet = http.get(req);
    EXPECT_FALSE(quiet.ok);
    EXPECT_FALSE(quiet.error.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
}
