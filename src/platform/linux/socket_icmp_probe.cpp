#include "platform/linux/socket_icmp_probe.h"

#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kEchoReply = 0;
constexpr std::uint8_t kEchoRequest = 8;
constexpr size_t kHeaderSize = 8;
constexpr size_t kDataSize = 32; // "test" and 28 zero bytes
constexpr int kTtl = 64;

class Socket {
public:
    explicit Socket(int fd)
        : fd_(fd)
    {
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

int openIcmpSocket(int type)
{
    return socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
}

// Opens the socket for one request; raw tells which kind it is.
int openSocket(SocketIcmpProbe::Transport transport, bool& raw)
{
    using Transport = SocketIcmpProbe::Transport;
    int fd = -1;
    if (transport != Transport::Raw) {
        fd = openIcmpSocket(SOCK_DGRAM);
        raw = false;
    }
    if (fd < 0 && transport != Transport::Datagram) {
        fd = openIcmpSocket(SOCK_RAW);
        raw = true;
    }
    if (fd < 0)
        throw IcmpUnavailable(std::string("no ICMP socket: ") + std::strerror(errno));
    return fd;
}

std::uint16_t checksum(const std::uint8_t* data, size_t size)
{
    std::uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2)
        sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
    if (size % 2)
        sum += static_cast<std::uint32_t>(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

std::uint16_t read16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

void write16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v & 0xFF);
}

// One identifier per process and a sequence number per request, so that
// requests in flight at the same time, here or in another program, never take
// each other's replies.
std::uint16_t processIdentifier()
{
    static const std::uint16_t id = static_cast<std::uint16_t>(std::random_device {}());
    return id;
}

std::uint16_t nextSequence()
{
    static std::atomic<std::uint16_t> next { static_cast<std::uint16_t>(std::random_device {}()) };
    return next.fetch_add(1, std::memory_order_relaxed);
}

in_addr_t toAddress(const std::string& text)
{
    // inet_addr would read only up to an embedded NUL.
    if (text.find('\0') != std::string::npos)
        return INADDR_NONE;
    return inet_addr(text.c_str());
}

bool isOurReply(const std::uint8_t* packet, size_t size, bool raw, in_addr_t from, in_addr_t to,
    std::uint16_t id, std::uint16_t seq)
{
    if (from != to)
        return false;
    if (raw) {
        // A raw socket reads the IP header as well.
        if (size < 20)
            return false;
        const size_t ipHeader = static_cast<size_t>(packet[0] & 0x0F) * 4;
        if (ipHeader < 20 || size < ipHeader + kHeaderSize || packet[9] != IPPROTO_ICMP)
            return false;
        packet += ipHeader;
        size -= ipHeader;
    } else if (size < kHeaderSize) {
        return false;
    }
    // The kernel owns the identifier of a datagram socket and delivers only
    // replies that carry it.
    return packet[0] == kEchoReply && packet[1] == 0 && (!raw || read16(packet + 4) == id)
        && read16(packet + 6) == seq;
}

} // namespace

std::string SocketIcmpProbe::ping(const std::string& address)
{
    if (address.empty())
        return {};
    const in_addr_t destination = toAddress(address);

    bool raw = false;
    const Socket sock(openSocket(transport_, raw));
    const int ttl = kTtl;
    setsockopt(sock.fd(), IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
    // No "don't fragment" flag: the request goes out with flags 0.
    const int pmtu = IP_PMTUDISC_DONT;
    setsockopt(sock.fd(), IPPROTO_IP, IP_MTU_DISCOVER, &pmtu, sizeof pmtu);
    if (raw) {
        // Wake up for echo replies only.
        icmp_filter filter {};
        filter.data = ~(1U << ICMP_ECHOREPLY);
        setsockopt(sock.fd(), SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    }

    const std::uint16_t id = processIdentifier();
    const std::uint16_t seq = nextSequence();
    std::array<std::uint8_t, kHeaderSize + kDataSize> request {};
    request[0] = kEchoRequest;
    write16(&request[4], id);
    write16(&request[6], seq);
    std::memcpy(&request[kHeaderSize], "test", 4);
    write16(&request[2], checksum(request.data(), request.size()));

    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = destination;

    // Connected, the kernel passes this socket only packets and errors that
    // concern this destination.
    if (connect(sock.fd(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
        return kFailed;
    const auto sent = Clock::now();
    const auto deadline = sent + std::chrono::milliseconds(kTimeoutMs);
    if (send(sock.fd(), request.data(), request.size(), 0) != static_cast<ssize_t>(request.size()))
        return kFailed;

    std::array<std::uint8_t, 1500> reply;
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline)
            return kFailed;
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now).count();
        const timespec wait { static_cast<time_t>(left / 1'000'000'000),
            static_cast<long>(left % 1'000'000'000) };
        pollfd pfd { sock.fd(), POLLIN, 0 };
        const int ready = ppoll(&pfd, 1, &wait, nullptr);
        if (ready < 0 && errno != EINTR)
            return kFailed;
        if (ready <= 0)
            continue;
        // Drain what is queued; a reply to someone else is not ours to end on.
        for (;;) {
            sockaddr_in from {};
            socklen_t fromLen = sizeof from;
            const ssize_t n = recvfrom(sock.fd(), reply.data(), reply.size(), MSG_DONTWAIT,
                reinterpret_cast<sockaddr*>(&from), &fromLen);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                    break;
                return kFailed;
            }
            const auto arrived = Clock::now();
            if (isOurReply(
                    reply.data(), static_cast<size_t>(n), raw, from.sin_addr.s_addr, destination, id, seq)) {
                const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(arrived - sent).count();
                return ms >= kTimeoutMs ? std::string(kFailed) : std::to_string(ms);
            }
        }
    }
}

} // namespace platform
