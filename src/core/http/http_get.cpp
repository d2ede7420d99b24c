#include "core/http/http_get.h"

#include "base/ascii.h"
#include "core/http/http_reply_reader.h"
#include "core/http/http_url.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

class Socket {
public:
    explicit Socket(int fd = -1)
        : fd_(fd)
    {
    }
    ~Socket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(Socket&& other) noexcept
        : fd_(std::exchange(other.fd_, -1))
    {
    }
    Socket(const Socket&) = delete;
    Socket& operator=(Socket&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

long msUntil(Clock::time_point t)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
    return ms > 0 ? static_cast<long>(ms) : 0;
}

bool waitFor(int fd, short events, Clock::time_point deadline)
{
    pollfd p { fd, events, 0 };
    for (;;) {
        const int n = ::poll(&p, 1, static_cast<int>(msUntil(deadline)));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

// Tries each address of host until one accepts before the deadline.
Socket connectTo(const HttpUrl& url, Clock::time_point deadline, std::string& error)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(url.port);
    if (const int rc = ::getaddrinfo(url.host.c_str(), port.c_str(), &hints, &found); rc != 0) {
        error = "cannot resolve " + url.host + ": " + ::gai_strerror(rc);
        return Socket();
    }
    error = "cannot connect to " + url.hostHeader();
    Socket result;
    for (addrinfo* a = found; a && result.fd() < 0; a = a->ai_next) {
        Socket s(::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
        if (s.fd() < 0)
            continue;
        if (::connect(s.fd(), a->ai_addr, a->ai_addrlen) != 0) {
            if (errno != EINPROGRESS)
                continue;
            if (!waitFor(s.fd(), POLLOUT, deadline)) {
                error = "connection to " + url.hostHeader() + " timed out";
                continue;
            }
            int soError = 0;
            socklen_t len = sizeof soError;
            if (::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError != 0)
                continue;
        }
        result = std::move(s);
    }
    ::freeaddrinfo(found);
    return result;
}

bool sendAll(int fd, std::string_view bytes, Clock::time_point deadline)
{
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

// Cookies set during this exchange, sent back to the host that set them.
class CookieJar {
public:
    void take(const std::string& host, const std::vector<std::string>& setCookies)
    {
        for (const auto& line : setCookies) {
            const std::string pair = line.substr(0, line.find(';'));
            const size_t eq = pair.find('=');
            if (eq == 0 || eq == std::string::npos)
                continue;
            const std::string name = pair.substr(0, eq);
            bool replaced = false;
            for (auto& c : cookies_)
                if (c.host == host && c.name == name) {
                    c.pair = pair;
                    replaced = true;
                }
            if (!replaced)
                cookies_.push_back({ host, name, pair });
        }
    }
    std::string headerFor(const std::string& host) const
    {
        std::string value;
        for (const auto& c : cookies_)
            if (c.host == host)
                value += (value.empty() ? "" : "; ") + c.pair;
        return value.empty() ? value : "Cookie: " + value + "\r\n";
    }

private:
    struct Cookie {
        std::string host, name, pair;
    };
    std::vector<Cookie> cookies_;
};

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string requestHead(
    const HttpUrl& url, const std::vector<std::string>& headers, const std::string& cookies)
{
    std::string head = "GET " + url.target + " HTTP/1.1\r\nHost: " + url.hostHeader() + "\r\n";
    bool accept = false;
    for (const auto& h : headers) {
        head += h + "\r\n";
        accept = accept || equalsIgnoringAsciiCase(std::string_view(h).substr(0, 7), "Accept:");
    }
    if (!accept)
        head += "Accept: */*\r\n";
    return head + cookies + "\r\n";
}

// Reads from fd into reply until it is whole. Returns why it is not, or "".
std::string readReply(
    int fd, HttpReplyReader& reply, const HttpGetOptions& options, Clock::time_point deadline)
{
    const auto lowSpeedWindow = std::chrono::seconds(options.lowSpeedSeconds);
    auto windowStart = Clock::now();
    long windowBytes = 0;
    char buffer[16384];
    while (!reply.complete()) {
        auto waitUntil = deadline;
        if (options.lowSpeedSeconds > 0)
            waitUntil = std::min(waitUntil, windowStart + lowSpeedWindow);
        if (!waitFor(fd, POLLIN, waitUntil)) {
            if (Clock::now() >= deadline)
                return "the exchange timed out";
            if (Clock::now() < waitUntil)
                return "waiting for the reply failed";
        } else {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n == 0)
                return reply.finish() ? "" : "the connection closed before the reply was whole";
            if (n < 0)
                return "receiving failed";
            windowBytes += n;
            if (!reply.feed(std::string_view(buffer, static_cast<size_t>(n))))
                return "the reply is not valid HTTP";
        }
        if (options.lowSpeedSeconds > 0 && Clock::now() - windowStart >= lowSpeedWindow) {
            if (windowBytes < options.lowSpeedBytes * options.lowSpeedSeconds)
                return "the transfer stalled";
            windowStart = Clock::now();
            windowBytes = 0;
        }
    }
    return "";
}

} // namespace

HttpGetResult httpGet(const std::string& address, const HttpGetOptions& options, const HttpBodySink& sink)
{
    HttpGetResult result;
    const auto deadline = Clock::now() + std::chrono::milliseconds(options.totalTimeoutMs);
    CookieJar cookies;
    std::string next = address;
    for (int hop = 0;; ++hop) {
        const auto url = parseHttpUrl(next);
        if (!url) {
            if (hop > 0 && equalsIgnoringAsciiCase(std::string_view(next).substr(0, 8), "https://"))
                result.tlsRedirect = next;
            result.error = "not a usable http address";
            return result;
        }
        const auto connectDeadline
            = std::min(deadline, Clock::now() + std::chrono::milliseconds(options.connectTimeoutMs));
        Socket socket = connectTo(*url, connectDeadline, result.error);
        if (socket.fd() < 0)
            return result;
        if (!sendAll(
                socket.fd(), requestHead(*url, options.headers, cookies.headerFor(url->host)), deadline)) {
            result.error = "sending the request failed";
            return result;
        }

        const HttpReplyReader* current = nullptr;
        const auto following = [&] {
            return options.followRedirects && isRedirect(current->status())
                && !current->header("Location").empty();
        };
        bool sinkRefused = false;
        HttpReplyReader reply([&](std::string_view bytes) {
            if (following())
                return true; // a redirect's own body is dropped
            sinkRefused = !sink(bytes);
            return !sinkRefused;
        });
        current = &reply;
        if (const std::string error = readReply(socket.fd(), reply, options, deadline); !error.empty()) {
            result.error = sinkRefused ? "the reply was refused" : error;
            return result;
        }
        result.status = reply.status();
        if (!following()) {
            result.complete = true;
            return result;
        }
        if (hop >= options.maxRedirects) {
            result.error = "too many redirects";
            return result;
        }
        cookies.take(url->host, reply.header("Set-Cookie"));
        next = resolveLocation(*url, reply.header("Location").back());
    }
}
