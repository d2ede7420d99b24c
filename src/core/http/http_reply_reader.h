#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Reads one HTTP/1.x reply as its bytes arrive: the status line and headers,
// then a body framed by Content-Length, chunked transfer coding or the end of
// the connection. Interim 1xx replies are skipped. Body bytes go to the sink
// as they come; a sink that returns false ends the reply as failed.
class HttpReplyReader {
public:
    using BodySink = std::function<bool(std::string_view)>;

    explicit HttpReplyReader(BodySink sink);

    // More bytes from the connection. False once the reply is broken (or the
    // sink refused), after which nothing more is read.
    bool feed(std::string_view bytes);
    // The connection ended. True when the reply was complete.
    bool finish();

    bool headComplete() const { return state_ != State::Head; }
    bool complete() const { return state_ == State::Done; }
    bool failed() const { return state_ == State::Failed; }
    int status() const { return status_; }
    // Values of the named header (name matched without regard to case), in order.
    std::vector<std::string> header(std::string_view name) const;

private:
    enum class State { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailers, Done, Failed };
    enum class Framing { Length, Chunked, Close };

    bool readHead();
    bool parseHead(std::string_view head);
    bool readBody();
    bool deliver(std::string_view bytes);
    bool fail();
    enum class Line { Taken, Wait, TooLong };
    Line takeLine(std::string& line); // from buffer_, trimmed, without its line end

    BodySink sink_;
    State state_ = State::Head;
    Framing framing_ = Framing::Close;
    std::string buffer_;
    int status_ = 0;
    std::vector<std::pair<std::string, std::string>> headers_;
    uint64_t remaining_ = 0; // of the body or the current chunk
};
