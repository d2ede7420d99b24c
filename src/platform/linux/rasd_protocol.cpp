#include "platform/linux/rasd_protocol.h"

#include <charconv>

namespace platform::rasd {
namespace {

bool validKey(std::string_view key)
{
    if (key.empty() || key.size() > 32)
        return false;
    for (char c : key)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

void escapeInto(std::string& out, std::string_view value)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (char c : value) {
        if (c == '%' || c == '\r' || c == '\n' || c == '\0') {
            out.push_back('%');
            out.push_back(kHex[static_cast<unsigned char>(c) >> 4]);
            out.push_back(kHex[static_cast<unsigned char>(c) & 15]);
        } else {
            out.push_back(c);
        }
    }
}

std::optional<std::string> unescape(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            out.push_back(value[i]);
            continue;
        }
        if (i + 2 >= value.size())
            return std::nullopt;
        const int hi = hexDigit(value[i + 1]);
        const int lo = hexDigit(value[i + 2]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return out;
}

} // namespace

Message& Message::add(std::string_view key, std::string_view value)
{
    fields_.emplace_back(std::string(key), std::string(value));
    return *this;
}

Message& Message::add(std::string_view key, long long value)
{
    return add(key, std::to_string(value));
}

std::string Message::get(std::string_view key, std::string_view def) const
{
    for (const auto& [k, v] : fields_)
        if (k == key)
            return v;
    return std::string(def);
}

bool Message::has(std::string_view key) const
{
    for (const auto& f : fields_)
        if (f.first == key)
            return true;
    return false;
}

std::optional<long long> Message::getInt(std::string_view key) const
{
    for (const auto& [k, v] : fields_) {
        if (k != key)
            continue;
        long long n = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
        if (v.empty() || ec != std::errc() || end != v.data() + v.size())
            return std::nullopt;
        return n;
    }
    return std::nullopt;
}

std::vector<std::string> Message::all(std::string_view key) const
{
    std::vector<std::string> out;
    for (const auto& [k, v] : fields_)
        if (k == key)
            out.push_back(v);
    return out;
}

std::string Message::encode() const
{
    std::string out;
    for (const auto& [k, v] : fields_) {
        out += k;
        out.push_back('=');
        escapeInto(out, v);
        out.push_back('\n');
    }
    return out;
}

std::optional<Message> Message::decode(std::string_view body)
{
    Message m;
    while (!body.empty()) {
        const std::size_t nl = body.find('\n');
        if (nl == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = body.substr(0, nl);
        body.remove_prefix(nl + 1);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || !validKey(line.substr(0, eq)))
            return std::nullopt;
        auto value = unescape(line.substr(eq + 1));
        if (!value)
            return std::nullopt;
        m.fields_.emplace_back(std::string(line.substr(0, eq)), std::move(*value));
    }
    return m;
}

Message Message::error(int code, std::string_view text)
{
    Message m;
    m.add("status", "error").add("code", code).add("text", text);
    return m;
}

std::string frame(const Message& message)
{
    const std::string body = message.encode();
    const auto n = static_cast<std::uint32_t>(body.size());
    std::string out;
    out.reserve(4 + body.size());
    for (int shift : { 24, 16, 8, 0 })
        out.push_back(static_cast<char>((n >> shift) & 0xff));
    out += body;
    return out;
}

FrameReader::Result FrameReader::next(std::string& body)
{
    if (buffer_.size() < 4)
        return Result::NeedMore;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n = (n << 8) | static_cast<unsigned char>(buffer_[static_cast<std::size_t>(i)]);
    if (n > kMaxFrameBytes)
        return Result::TooLarge;
    if (buffer_.size() < 4 + static_cast<std::size_t>(n))
        return Result::NeedMore;
    body.assign(buffer_, 4, n);
    buffer_.erase(0, 4 + static_cast<std::size_t>(n));
    return Result::Frame;
}

} // namespace platform::rasd
