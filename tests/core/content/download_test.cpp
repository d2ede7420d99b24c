#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

#include "core/content/download.h"
#include "tests/support/raw_http_server.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

size_t filesIn(const std::string& dir)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

} // namespace

TEST(DownloadToFile, StoresTheBodyAndFollowsRedirects)
{
    const std::string body("bytes\r\n\0\xff\xfe", 10);
    RecordingHttpServer server([&](const std::string& target) {
        if (target == "/old")
            return RecordingHttpServer::Reply { 302, "", { "Location: /new" } };
        return RecordingHttpServer::Reply { 200, body, {} };
    });
    TempDir dir;
    writeBytes(dir.file("f.ini"), "earlier");
    std::string upper = server.base() + "old";
    upper.replace(0, 4, "HTTP");
    EXPECT_TRUE(downloadToFile(upper, dir.file("f.ini")));
    EXPECT_EQ(readBytes(dir.file("f.ini")), body);
    EXPECT_EQ(filesIn(dir.path()), 1u); // no temporary file left behind
}

// Every way a download can fail keeps the earlier file byte for byte.
TEST(DownloadToFile, AFailedDownloadKeepsTheEarlierFile)
{
    const std::string earlier("[mainmemu]\r\ncount=2\r\n\xb2\xe2", 24);
    RecordingHttpServer statusServer([](const std::string& target) {
        if (target == "/missing")
            return RecordingHttpServer::Reply { 404, "not here", {} };
        return RecordingHttpServer::Reply { 500, "broken", {} };
    });
    // Promises 1000 bytes, sends 5 and closes.
    RawHttpServer cut("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nhello", false);
    TempDir dir;
    const std::string target = dir.file("RouteTabledx.tab");

    struct Case {
        const char* what;
        std::string url;
    };
    const Case cases[] = {
        { "404", statusServer.base() + "missing" },
        { "500", statusServer.base() + "broken" },
        { "cut transfer", cut.base() + "x" },
        { "refused connection", "http://127.0.0.1:1/x" },
        { "not a web address", "file://" + dir.file("other") },
        { "empty address", "" },
    };
    writeBytes(dir.file("other"), "local secret");
    for (const auto& c : cases) {
        writeBytes(target, earlier);
        EXPECT_FALSE(downloadToFile(c.url, target)) << c.what;
        EXPECT_EQ(readBytes(target), earlier) << c.what;
        EXPECT_EQ(filesIn(dir.path()), 2u) << c.what;
    }
    // A failure where there was no file leaves none.
    std::filesystem::remove(target);
    EXPECT_FALSE(downloadToFile(statusServer.base() + "missing", target));
    EXPECT_FALSE(fileExists(target));
}

TEST(DownloadToFile, AHungServerDoesNotHoldTheCaller)
{
    RawHttpServer silent("", true);
    RawHttpServer stalled("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nab", true);
    TempDir dir;
    writeBytes(dir.file("a"), "earlier");
    DownloadLimits limits;
    limits.lowSpeedSeconds = 1;
    limits.totalTimeoutMs = 10000;
    for (const RawHttpServer* s : { &silent, &stalled }) {
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(downloadToFile(s->base() + "a", dir.file("a"), limits));
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
        EXPECT_EQ(readBytes(dir.file("a")), "earlier");
    }
}

namespace {

bool mapped(std::string_view library)
{
    return readBytes("/proc/self/maps").find(library) != std::string::npos;
}

} // namespace

// The TLS stack is loaded only for an https address; a server that does not
// speak TLS fails the download and keeps the file.
TEST(DownloadToFile, AnHttpsAddressLoadsTheTlsStackOnlyThen)
{
    RawHttpServer plain("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nnew", false);
    TempDir dir;
    writeBytes(dir.file("a"), "earlier");
    EXPECT_TRUE(downloadToFile(plain.base() + "a", dir.file("a")));
    EXPECT_FALSE(mapped("libcurl"));
    std::string tls = plain.base() + "a";
    tls.replace(0, 4, "https");
    RecordingHttpServer redirect([&](const std::string&) {
        return RecordingHttpServer::Reply { 302, "", { "Location: " + tls } };
    });
    for (const std::string& url : { tls, redirect.base() + "a" }) {
        writeBytes(dir.file("a"), "earlier");
        EXPECT_FALSE(downloadToFile(url, dir.file("a"))) << url;
        EXPECT_TRUE(mapped("libcurl")) << url;
        EXPECT_EQ(readBytes(dir.file("a")), "earlier") << url;
    }
    EXPECT_EQ(redirect.requests().size(), 1u);
}
