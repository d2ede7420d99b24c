#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The wire between the remote-access service and its callers, over a local
// stream socket. Each message is a frame: a 4-byte big-endian length, then
// that many bytes of "key=value" lines. Keys are [a-z0-9_]; values escape
// '%', CR, LF and NUL as %25, %0D, %0A, %00. A key may repeat; order is kept.
// A request's first field is "op"; a reply's is "status" ("ok" or "error",
// the latter with "code" and "text").
namespace platform::rasd {

inline constexpr const char* kSocketPath = "/run/zavtrel/rasd.sock";
inline constexpr std::size_t kMaxFrameBytes = 1 << 20;

class Message {
public:
    Message() = default;
    explicit Message(std::string_view op) { add("op", op); }

    Message& add(std::string_view key, std::string_view value);
    Message& add(std::string_view key, long long value);

    // The first value of key, or def.
    std::string get(std::string_view key, std::string_view def = {}) const;
    bool has(std::string_view key) const;
    // The first value of key as a decimal number; nothing when absent or not one.
    std::optional<long long> getInt(std::string_view key) const;
    std::vector<std::string> all(std::string_view key) const;
    const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }

    // The frame's body, without the length.
    std::string encode() const;
    // Nothing for a line without '=', a bad key or a bad escape.
    static std::optional<Message> decode(std::string_view body);

    static Message ok() { return Message().add("status", "ok"); }
    static Message error(int code, std::string_view text);
    bool isOk() const { return get("status") == "ok"; }
    int errorCode() const { return static_cast<int>(getInt("code").value_or(0)); }

private:
    std::vector<std::pair<std::string, std::string>> fields_;
};

// The length prefix and the body.
std::string frame(const Message& message);

// Cuts frames out of a byte stream as it arrives.
class FrameReader {
public:
    enum class Result { NeedMore, Frame, TooLarge };
    void feed(std::string_view bytes) { buffer_.append(bytes); }
    // Frame: body holds the next frame's body. TooLarge: the stream announced
    // a frame over kMaxFrameBytes and cannot go on.
    Result next(std::string& body);
    std::size_t buffered() const { return buffer_.size(); }

private:
    std::string buffer_;
};

} // namespace platform::rasd
