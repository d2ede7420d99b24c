#include "core/http/http_reply_reader.h"

#include "base/ascii.h"

#include <algorithm>
#include <charconv>

namespace {

// A reply head larger than this is not one a web server sends.
constexpr size_t kMaxHeadBytes = 64 * 1024;
constexpr size_t kMaxLineBytes = 8 * 1024;

// Digits of the base and nothing else, within 64 bits.
bool parseUnsigned(std::string_view s, int base, uint64_t& value)
{
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

// The last coding of a Transfer-Encoding value.
bool endsChunked(std::string_view value)
{
    const size_t comma = value.rfind(',');
    return equalsIgnoringAsciiCase(
        trimLine(comma == std::string_view::npos ? value : value.substr(comma + 1)), "chunked");
}

} // namespace

HttpReplyReader::HttpReplyReader(BodySink sink)
    : sink_(std::move(sink))
{
}

std::vector<std::string> HttpReplyReader::header(std::string_view name) const
{
    std::vector<std::string> values;
    for (const auto& [key, value] : headers_)
        if (equalsIgnoringAsciiCase(key, name))
            values.push_back(value);
    return values;
}

bool HttpReplyReader::fail()
{
    state_ = State::Failed;
    buffer_.clear();
    return false;
}

bool HttpReplyReader::feed(std::string_view bytes)
{
    if (state_ == State::Failed)
        return false;
    if (state_ == State::Done)
        return true; // bytes after the reply are not ours
    buffer_.append(bytes);
    if (state_ == State::Head && !readHead())
        return false;
    return state_ == State::Head || readBody();
}

bool HttpReplyReader::finish()
{
    if (state_ == State::Body && framing_ == Framing::Close)
        state_ = State::Done;
    return state_ == State::Done;
}

bool HttpReplyReader::readHead()
{
    while (state_ == State::Head) {
        size_t end = buffer_.find("\n\r\n");
        size_t skip = 3;
        const size_t bare = buffer_.find("\n\n");
        if (bare != std::string::npos && (end == std::string::npos || bare < end)) {
            end = bare;
            skip = 2;
        }
        // Whole or in pieces, the same heads are refused: one whose end
        // starts past the limit.
        if (end == std::string::npos)
            return buffer_.size() <= kMaxHeadBytes + 3 || fail();
        if (end > kMaxHeadBytes)
            return fail();
        const std::string head = buffer_.substr(0, end + 1);
        buffer_.erase(0, end + skip);
        if (!parseHead(head))
            return fail();
    }
    return true;
}

bool HttpReplyReader::parseHead(std::string_view head)
{
    headers_.clear();
    size_t lineEnd = head.find('\n');
    const std::string_view statusLine = trimLine(head.substr(0, lineEnd));
    // "HTTP/1.x NNN reason"
    if (statusLine.size() < 12 || statusLine.substr(0, 7) != "HTTP/1." || statusLine[7] < '0'
        || statusLine[7] > '9' || statusLine[8] != ' ')
        return false;
    uint64_t code = 0;
    if (!parseUnsigned(statusLine.substr(9, 3), 10, code) || code < 100
        || (statusLine.size() > 12 && statusLine[12] != ' '))
        return false;
    status_ = static_cast<int>(code);

    while (lineEnd != std::string_view::npos && lineEnd + 1 < head.size()) {
        const size_t start = lineEnd + 1;
        lineEnd = head.find('\n', start);
        const std::string_view line
            = head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
        if (trimLine(line).empty())
            continue;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 || line.front() == ' ' || line.front() == '\t')
            return false;
        headers_.emplace_back(
            std::string(line.substr(0, colon)), std::string(trimLine(line.substr(colon + 1))));
    }

    if (status_ < 200)
        return true; // interim: the real head follows
    state_ = State::Body;
    if (status_ == 204 || status_ == 304) {
        state_ = State::Done;
        return true;
    }
    const auto codings = header("Transfer-Encoding");
    if (!codings.empty()) {
        if (!endsChunked(codings.back()))
            return true; // framed by the end of the connection
        framing_ = Framing::Chunked;
        state_ = State::ChunkSize;
        return true;
    }
    const auto lengths = header("Content-Length");
    if (!lengths.empty()) {
        for (const auto& length : lengths) {
            uint64_t value = 0;
            if (!parseUnsigned(trimLine(length), 10, value) || (length != lengths.front()))
                return false;
            remaining_ = value;
        }
        framing_ = Framing::Length;
        if (remaining_ == 0)
            state_ = State::Done;
    }
    return true;
}

HttpReplyReader::Line HttpReplyReader::takeLine(std::string& line)
{
    const size_t end = buffer_.find('\n');
    if (end == std::string::npos)
        return buffer_.size() <= kMaxLineBytes ? Line::Wait : Line::TooLong;
    if (end > kMaxLineBytes)
        return Line::TooLong;
    line = std::string(trimLine(std::string_view(buffer_).substr(0, end)));
    buffer_.erase(0, end + 1);
    return Line::Taken;
}

bool HttpReplyReader::deliver(std::string_view bytes)
{
    if (bytes.empty() || !sink_ || sink_(bytes))
        return true;
    return fail();
}

bool HttpReplyReader::readBody()
{
    std::string line;
    for (;;) {
        switch (state_) {
        case State::Body: {
            if (framing_ == Framing::Close) {
                const bool ok = deliver(buffer_);
                buffer_.clear();
                return ok;
            }
            const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining_, buffer_.size()));
            if (!deliver(std::string_view(buffer_).substr(0, n)))
                return false;
            buffer_.erase(0, n);
            remaining_ -= n;
            if (remaining_ == 0)
                state_ = State::Done;
            return true;
        }
        case State::ChunkSize: {
            if (const Line l = takeLine(line); l != Line::Taken)
                return l == Line::Wait || fail();
            uint64_t size = 0;
            if (!parseUnsigned(trimLine(std::string_view(line).substr(0, line.find(';'))), 16, size))
                return fail();
            remaining_ = size;
            state_ = size == 0 ? State::Trailers : State::ChunkData;
            break;
        }
        case State::ChunkData: {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining_, buffer_.size()));
            if (!deliver(std::string_view(buffer_).substr(0, n)))
                return false;
            buffer_.erase(0, n);
            remaining_ -= n;
            if (remaining_ > 0)
                return true;
            state_ = State::ChunkEnd;
            break;
        }
        case State::ChunkEnd: // exactly a line end after the data
            if (buffer_.empty() || buffer_ == "\r")
                return true;
            if (buffer_.compare(0, 2, "\r\n") == 0)
                buffer_.erase(0, 2);
            else if (buffer_.front() == '\n')
                buffer_.erase(0, 1);
            else
                return fail();
            state_ = State::ChunkSize;
            break;
        case State::Trailers:
            if (const Line l = takeLine(line); l != Line::Taken)
                return l == Line::Wait || fail();
            if (line.empty())
                state_ = State::Done;
            break;
        case State::Done:
            buffer_.clear();
            return true;
        default:
            return false;
        }
    }
}
