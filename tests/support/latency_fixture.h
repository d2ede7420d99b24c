#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/tun_device.h"

// Hosts with chosen round-trip times, for probes to measure with real ICMP.
// Builds a network namespace of its own (no name, so nothing is left behind
// when the process dies) holding a TUN device with a route to 10.200.0.0/16,
// and answers each echo request that comes out of the TUN after the delay set
// for its destination. Destinations without a delay never answer. Needs root.
//
// The probes must run inside the namespace: hold an Inside while probing.
class LatencyFixture {
public:
    using Delay = std::chrono::microseconds;

    // An echo request as it left the probe.
    struct Request {
        std::string destination;
        std::uint16_t identifier = 0;
        std::uint16_t sequence = 0;
        int ttl = 0;
        int tos = 0;
        bool dontFragment = false;
        std::string data; // ICMP data after the 8-byte header
    };

    // A reply as it went back: how long the fixture held the request, which
    // is the set delay plus its own lateness in waking up.
    struct Answer {
        std::string destination;
        std::uint16_t sequence = 0;
        std::chrono::nanoseconds held {};
    };

    // Throws std::runtime_error when the namespace or the device cannot be made.
    LatencyFixture();
    ~LatencyFixture();
    LatencyFixture(const LatencyFixture&) = delete;
    LatencyFixture& operator=(const LatencyFixture&) = delete;

    // The n-th test host (n from 0), an address inside the namespace only.
    static std::string host(int n);

    void setDelay(const std::string& host, Delay delay);
    void setSilent(const std::string& host);
    // ICMP datagram sockets for every group inside the namespace (the
    // namespace starts with the kernel's default, which admits none).
    void allowDatagramIcmp(bool on);

    std::vector<Request> requests() const;
    int requestsTo(const std::string& host) const;
    std::vector<Answer> answers() const;
    // Forgets the requests and answers so far.
    void clearRequests();

    // Moves the calling thread into the namespace until it goes; threads
    // started meanwhile are inside too.
    class Inside {
    public:
        explicit Inside(const LatencyFixture& fixture);
        ~Inside();
        Inside(const Inside&) = delete;
        Inside& operator=(const Inside&) = delete;

    private:
        int original_ = -1;
    };

private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        std::chrono::steady_clock::time_point received;
        Answer answer;
        std::vector<std::uint8_t> packet;
        bool operator>(const Pending& o) const { return due > o.due; }
    };

    void respond();
    void handleRequest(const std::uint8_t* packet, size_t size, std::vector<Pending>& queue);

    int netns_ = -1;
    int wake_ = -1; // eventfd: stop
    std::unique_ptr<platform::TunDevice> tun_;
    std::thread responder_;

    mutable std::mutex lock_;
    std::map<std::uint32_t, Delay> delays_; // by address in network order
    std::vector<Request> requests_;
    std::vector<Answer> answers_;
};
