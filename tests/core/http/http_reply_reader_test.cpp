#include <gtest/gtest.h>

#include "core/http/http_reply_reader.h"

namespace {

struct Read {
    bool ok;
    int status;
    std::string body;
};

// Feeds the reply whole or one byte at a time; the connection closes after it.
Read readReply(const std::string& raw, bool byteByByte)
{
    std::string body;
    HttpReplyReader reader([&](std::string_view bytes) {
        body.append(bytes);
        return true;
    });
    bool fed = true;
    if (byteByByte)
        for (char c : raw)
            fed = fed && reader.feed(std::string_view(&c, 1));
    else
        fed = reader.feed(raw);
    const bool ok = fed && (reader.complete() || reader.finish());
    return { ok, reader.status(), body };
}

} // namespace

TEST(HttpReplyReader, ReadsEveryFramingWholeOrInPieces)
{
    struct Case {
        const char* what;
        std::string raw;
        int status;
        std::string body;
    };
    const Case cases[] = {
        { "length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello and more", 200, "hello" },
        { "chunked, extension, trailer",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n5;x=y\r\nhello\r\nA\r\n, "
            "world..!\r\n0\r\n"
            "Trailer: t\r\n\r\n",
            200, "hello, world..!" },
        { "to the end of the connection", "HTTP/1.0 200 OK\r\nServer: s\r\n\r\nall\r\nof it", 200,
            "all\r\nof it" },
        { "interim 100 first",
            "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno", 404, "no" },
        { "no body", "HTTP/1.1 204 No Content\r\nContent-Length: 9\r\n\r\n", 204, "" },
        { "bare line feeds, no reason", "HTTP/1.1 302\nLocation: /x\nContent-Length: 0\n\n", 302, "" },
        { "binary body", std::string("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n\0\xff\r\n", 42), 200,
            std::string("\0\xff\r\n", 4) },
    };
    for (const auto& c : cases)
        for (bool pieces : { false, true }) {
            const Read r = readReply(c.raw, pieces);
            EXPECT_TRUE(r.ok) << c.what;
            EXPECT_EQ(r.status, c.status) << c.what;
            EXPECT_EQ(r.body, c.body) << c.what;
        }
}

TEST(HttpReplyReader, RefusesBrokenRepliesAndCutBodies)
{
    const std::pair<const char*, std::string> cases[] = {
        { "not HTTP", "hello there\r\n\r\n" },
        { "HTTP/2 status line", "HTTP/2 200\r\n\r\n" },
        { "bad status", "HTTP/1.1 2x0 OK\r\n\r\n" },
        { "header without colon", "HTTP/1.1 200 OK\r\nbroken\r\n\r\n" },
        { "two different lengths", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab" },
        { "negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n" },
        { "bad chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n" },
        { "huge chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffffff\r\n" },
        { "chunk without its line end",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabcd\r\n0\r\n\r\n" },
        { "cut length body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc" },
        { "cut chunked body", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab" },
        { "cut head", "HTTP/1.1 200 OK\r\nContent-" },
        { "head without end", "HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'a') },
    };
    for (const auto& [what, raw] : cases)
        for (bool pieces : { false, true })
            EXPECT_FALSE(readReply(raw, pieces).ok) << what;
}

TEST(HttpReplyReader, ASinkThatRefusesEndsTheReply)
{
    HttpReplyReader reader([](std::string_view) { return false; });
    EXPECT_FALSE(reader.feed("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc"));
    EXPECT_TRUE(reader.failed());
    EXPECT_FALSE(reader.finish());
}
