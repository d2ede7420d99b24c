#include "tests/support/latency_fixture.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <exception>
#include <functional>
#include <optional>
#include <fcntl.h>
#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr const char* kDevice = "lat0";
constexpr const char* kLocal = "10.200.255.254";
constexpr const char* kPeer = "10.200.255.253";

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error("latency fixture: " + what + ": " + std::strerror(errno));
}

int openOwnNamespace()
{
    return open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
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

std::uint16_t checksum(const std::uint8_t* data, size_t size)
{
    std::uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2)
        sum += read16(data + i);
    if (size % 2)
        sum += static_cast<std::uint32_t>(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

std::uint32_t toAddress(const std::string& text)
{
    in_addr a {};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1)
        throw std::invalid_argument("latency fixture: not an address: " + text);
    return a.s_addr;
}

std::string toText(std::uint32_t address)
{
    char buf[INET_ADDRSTRLEN];
    in_addr a { address };
    return inet_ntop(AF_INET, &a, buf, sizeof buf);
}

void bringUp(int sock, const char* name)
{
    ifreq ifr {};
    std::strncpy(ifr.ifr_name, name, IFNAMSIZ - 1);
    if (ioctl(sock, SIOCGIFFLAGS, &ifr) != 0)
        fail("flags of " + std::string(name));
    ifr.ifr_flags |= IFF_UP;
    if (ioctl(sock, SIOCSIFFLAGS, &ifr) != 0)
        fail("bring up " + std::string(name));
}

void addRoute(int sock, const char* network, const char* mask, const char* device)
{
    rtentry rt {};
    auto set = [](sockaddr& sa, const char* text) {
        auto* sin = reinterpret_cast<sockaddr_in*>(&sa);
        sin->sin_family = AF_INET;
        inet_pton(AF_INET, text, &sin->sin_addr);
    };
    set(rt.rt_dst, network);
    set(rt.rt_genmask, mask);
    rt.rt_flags = RTF_UP;
    rt.rt_dev = const_cast<char*>(device);
    if (ioctl(sock, SIOCADDRT, &rt) != 0)
        fail("route to " + std::string(network));
}

} // namespace

LatencyFixture::LatencyFixture()
{
    // A thread of its own enters the new namespace, so the caller's thread
    // stays where it was whatever fails.
    std::exception_ptr error;
    std::thread setup([&] {
        try {
            if (unshare(CLONE_NEWNET) != 0)
                fail("unshare");
            netns_ = openOwnNamespace();
            if (netns_ < 0)
                fail("namespace handle");
            tun_ = std::make_unique<platform::TunDevice>([] {
                auto dev = platform::TunDevice::open(kDevice);
                if (!dev)
                    fail("TUN device");
                return std::move(*dev);
            }());
            if (!tun_->configure(kLocal, kPeer))
                fail("TUN address");
            const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            if (sock < 0)
                fail("socket");
            try {
                bringUp(sock, "lo");
                addRoute(sock, "10.200.0.0", "255.255.0.0", kDevice);
            } catch (...) {
                close(sock);
                throw;
            }
            close(sock);
        } catch (...) {
            error = std::current_exception();
        }
    });
    setup.join();
    if (!error) {
        wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake_ < 0)
            error = std::make_exception_ptr(std::runtime_error("latency fixture: eventfd"));
    }
    if (error) {
        tun_.reset();
        if (netns_ >= 0)
            close(netns_);
        std::rethrow_exception(error);
    }
    fcntl(tun_->fd(), F_SETFL, fcntl(tun_->fd(), F_GETFL) | O_NONBLOCK);
    responder_ = std::thread([this] { respond(); });
}

LatencyFixture::~LatencyFixture()
{
    const std::uint64_t one = 1;
    if (write(wake_, &one, sizeof one) != sizeof one)
        std::terminate();
    responder_.join();
    close(wake_);
    // The namespace goes with its last handle and its device.
    tun_.reset();
    close(netns_);
}

std::string LatencyFixture::host(int n)
{
    return "10.200." + std::to_string(n / 250) + "." + std::to_string(n % 250 + 1);
}

void LatencyFixture::setDelay(const std::string& host, Delay delay)
{
    const std::uint32_t a = toAddress(host);
    std::lock_guard g(lock_);
    delays_[a] = delay;
}

void LatencyFixture::setSilent(const std::string& host)
{
    const std::uint32_t a = toAddress(host);
    std::lock_guard g(lock_);
    delays_.erase(a);
}

void LatencyFixture::allowDatagramIcmp(bool on)
{
    std::exception_ptr error;
    std::thread writer([&] {
        try {
            Inside inside(*this);
            const int fd = open("/proc/sys/net/ipv4/ping_group_range", O_WRONLY | O_CLOEXEC);
            if (fd < 0)
                fail("ping_group_range");
            const std::string value = on ? "0 2147483647\n" : "1 0\n";
            const bool ok = write(fd, value.data(), value.size()) == static_cast<ssize_t>(value.size());
            close(fd);
            if (!ok)
                fail("write ping_group_range");
        } catch (...) {
            error = std::current_exception();
        }
    });
    writer.join();
    if (error)
        std::rethrow_exception(error);
}

std::vector<LatencyFixture::Request> LatencyFixture::requests() const
{
    std::lock_guard g(lock_);
    return requests_;
}

int LatencyFixture::requestsTo(const std::string& host) const
{
    std::lock_guard g(lock_);
    return static_cast<int>(std::count_if(
        requests_.begin(), requests_.end(), [&](const Request& r) { return r.destination == host; }));
}

std::vector<LatencyFixture::Answer> LatencyFixture::answers() const
{
    std::lock_guard g(lock_);
    return answers_;
}

void LatencyFixture::clearRequests()
{
    std::lock_guard g(lock_);
    requests_.clear();
    answers_.clear();
}

LatencyFixture::Inside::Inside(const LatencyFixture& fixture)
    : original_(openOwnNamespace())
{
    if (original_ < 0)
        fail("own namespace handle");
    if (setns(fixture.netns_, CLONE_NEWNET) != 0) {
        close(original_);
        fail("enter namespace");
    }
}

LatencyFixture::Inside::~Inside()
{
    // A thread left in the wrong namespace would poison every later test.
    if (setns(original_, CLONE_NEWNET) != 0)
        std::terminate();
    close(original_);
}

void LatencyFixture::handleRequest(const std::uint8_t* packet, size_t size, std::vector<Pending>& queue)
{
    const auto received = std::chrono::steady_clock::now();
    if (size < 20 || (packet[0] >> 4) != 4)
        return;
    const size_t ipHeader = static_cast<size_t>(packet[0] & 0x0F) * 4;
    if (ipHeader < 20 || size < ipHeader + 8 || packet[9] != IPPROTO_ICMP || packet[ipHeader] != 8)
        return;
    std::uint32_t source, destination;
    std::memcpy(&source, packet + 12, 4);
    std::memcpy(&destination, packet + 16, 4);
    const std::uint8_t* icmp = packet + ipHeader;
    const size_t icmpSize = size - ipHeader;

    std::optional<Delay> delay;
    {
        std::lock_guard g(lock_);
        Request r;
        r.destination = toText(destination);
        r.identifier = read16(icmp + 4);
        r.sequence = read16(icmp + 6);
        r.ttl = packet[8];
        r.tos = packet[1];
        r.dontFragment = (packet[6] & 0x40) != 0;
        r.data.assign(reinterpret_cast<const char*>(icmp + 8), icmpSize - 8);
        requests_.push_back(std::move(r));
        const auto it = delays_.find(destination);
        if (it != delays_.end())
            delay = it->second;
    }
    if (!delay)
        return;

    std::vector<std::uint8_t> reply(20 + icmpSize);
    reply[0] = 0x45;
    write16(&reply[2], static_cast<std::uint16_t>(reply.size()));
    reply[8] = 64;
    reply[9] = IPPROTO_ICMP;
    std::memcpy(&reply[12], &destination, 4);
    std::memcpy(&reply[16], &source, 4);
    write16(&reply[10], checksum(reply.data(), 20));
    std::memcpy(&reply[20], icmp, icmpSize);
    reply[20] = 0; // echo reply
    write16(&reply[22], 0);
    write16(&reply[22], checksum(&reply[20], icmpSize));
    queue.push_back(
        { received + *delay, received, { toText(destination), read16(icmp + 6), {} }, std::move(reply) });
    std::push_heap(queue.begin(), queue.end(), std::greater<>());
}

void LatencyFixture::respond()
{
    // Wake up on time to the microsecond, not to the default 50 us slack.
    prctl(PR_SET_TIMERSLACK, 1UL);
    std::vector<Pending> queue; // min-heap by due time
    std::vector<std::uint8_t> buf(65536);
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        while (!queue.empty() && queue.front().due <= now) {
            std::pop_heap(queue.begin(), queue.end(), std::greater<>());
            Pending& p = queue.back();
            p.answer.held = std::chrono::steady_clock::now() - p.received;
            if (write(tun_->fd(), p.packet.data(), p.packet.size())
                == static_cast<ssize_t>(p.packet.size())) {
                std::lock_guard g(lock_);
                answers_.push_back(std::move(p.answer));
            }
            queue.pop_back();
        }
        timespec wait { 1, 0 };
        if (!queue.empty()) {
            const auto left
                = std::chrono::duration_cast<std::chrono::nanoseconds>(queue.front().due - now).count();
            wait = { static_cast<time_t>(left / 1'000'000'000), static_cast<long>(left % 1'000'000'000) };
        }
        pollfd fds[2] = { { tun_->fd(), POLLIN, 0 }, { wake_, POLLIN, 0 } };
        const int ready = ppoll(fds, 2, &wait, nullptr);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready <= 0)
            continue;
        if (fds[1].revents)
            return;
        for (;;) {
            const ssize_t n = read(tun_->fd(), buf.data(), buf.size());
            if (n <= 0)
                break;
            handleRequest(buf.data(), static_cast<size_t>(n), queue);
        }
    }
}
