#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// No echo request can be sent at all on this system (the ICMP service is
// missing or forbidden to the program). Callers end their scan on it.
class IcmpUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Round-trip time to one host by a single ICMP echo request. Safe to call from
// several threads at once; each call gets the reply to its own request.
class IcmpProbe {
public:
    static constexpr int kTimeoutMs = 300;
    static constexpr const char* kFailed = "300";

    virtual ~IcmpProbe() = default;

    // address: dotted IPv4 text, converted as inet_addr does (anything else is
    // 255.255.255.255). Sends one request (data "test" and 28 zero bytes, TTL
    // 64), waits at most 300 ms and answers the delay in whole milliseconds as
    // decimal text ("0" under a millisecond), or "300" when no reply came or
    // sending failed. An empty address sends nothing and answers the empty text.
    // Throws IcmpUnavailable when no echo socket can be opened.
    virtual std::string ping(const std::string& address) = 0;
};

} // namespace platform
