#include "platform/linux/rasd_remote_access.h"

#include <arpa/inet.h>
#include <charconv>
#include <netinet/in.h>

#include "platform/linux/netlink_route_table.h"

namespace platform {
namespace {

constexpr int kQueryTimeoutMs = 10000;
// A hang-up waits for the link's process to end (pppd takes seconds).
constexpr int kHangUpTimeoutMs = 30000;
constexpr int kRoutesTimeoutMs = 30000;

} // namespace

RasdSession::RasdSession(std::string socketPath)
    : socketPath_(std::move(socketPath))
{
}

void RasdSession::open()
{
    const std::lock_guard lock(mutex_);
    ensureLocked();
}

bool RasdSession::ensureLocked()
{
    if (client_.connected())
        return true;
    if (client_.connect(socketPath_) != 0)
        return false;
    const auto reply = client_.request(rasd::Message("attach"), kQueryTimeoutMs);
    if (!reply || !reply->isOk()) {
        client_.close();
        return false;
    }
    return true;
}

std::optional<rasd::Message> RasdSession::request(const rasd::Message& message, int timeoutMs)
{
    const std::lock_guard lock(mutex_);
    if (!ensureLocked())
        return std::nullopt;
    return client_.request(message, timeoutMs);
}

std::optional<std::vector<RasConnection>> RasdRemoteAccess::listConnections()
{
    const auto reply = session_->request(rasd::Message("list"), kQueryTimeoutMs);
    if (!reply || !reply->isOk())
        return std::nullopt;
    const auto handles = reply->all("handle");
    const auto entries = reply->all("entry");
    if (handles.size() != entries.size() || handles.size() > kMaxConnections)
        return std::nullopt;
    std::vector<RasConnection> out;
    for (std::size_t i = 0; i < handles.size(); ++i) {
        ConnectionHandle h = 0;
        const auto [end, ec] = std::from_chars(handles[i].data(), handles[i].data() + handles[i].size(), h);
        if (ec != std::errc() || end != handles[i].data() + handles[i].size() || h == 0)
            return std::nullopt;
        out.push_back({ h, entries[i] });
    }
    return out;
}

std::optional<int> RasdRemoteAccess::connectionStatus(ConnectionHandle handle)
{
    if (handle == 0)
        return std::nullopt;
    rasd::Message m("status");
    m.add("handle", static_cast<long long>(handle));
    const auto reply = session_->request(m, kQueryTimeoutMs);
    if (!reply || !reply->isOk())
        return std::nullopt;
    const auto state = reply->getInt("state");
    return state ? std::optional<int>(static_cast<int>(*state)) : std::nullopt;
}

std::optional<RasStatistics> RasdRemoteAccess::statistics(ConnectionHandle handle)
{
    rasd::Message m("statistics");
    m.add("handle", static_cast<long long>(handle));
    const auto reply = session_->request(m, kQueryTimeoutMs);
    if (!reply || !reply->isOk())
        return std::nullopt;
    const auto sent = reply->getInt("sent");
    const auto received = reply->getInt("received");
    const auto duration = reply->getInt("duration");
    if (!sent || !received || !duration || *duration < 0)
        return std::nullopt;
    RasStatistics s;
    s.bytesSent = static_cast<std::uint32_t>(*sent);
    s.bytesReceived = static_cast<std::uint32_t>(*received);
    s.durationMs = static_cast<std::uint64_t>(*duration);
    return s;
}

void RasdRemoteAccess::hangUp(ConnectionHandle handle)
{
    rasd::Message m("hangup");
    m.add("handle", static_cast<long long>(handle));
    session_->request(m, kHangUpTimeoutMs);
}

std::string RasdRouteTable::wireForm(const Ipv4Route& route)
{
    const int prefix = prefixLength(route.mask);
    if (prefix < 0)
        return {};
    char text[INET_ADDRSTRLEN] = {};
    in_addr a {};
    a.s_addr = route.destination;
    inet_ntop(AF_INET, &a, text, sizeof text);
    return std::string(text) + "/" + std::to_string(prefix) + " " + std::to_string(route.interfaceIndex) + " "
        + std::to_string(route.metric);
}

RouteBatchResult RasdRouteTable::addRoutes(const std::vector<Ipv4Route>& routes)
{
    RouteBatchResult result;
    for (std::size_t start = 0; start < routes.size(); start += kBatchSize) {
        const std::size_t end = std::min(routes.size(), start + kBatchSize);
        rasd::Message m("routes");
        std::size_t sentCount = 0;
        for (std::size_t i = start; i < end; ++i) {
            const std::string line = wireForm(routes[i]);
            if (line.empty()) {
                ++result.refused;
                continue;
            }
            m.add("r", line);
            ++sentCount;
        }
        if (sentCount == 0)
            continue;
        const auto reply = session_->request(m, kRoutesTimeoutMs);
        if (!reply)
            return result; // the service is gone: the rest was not asked
        if (!reply->isOk()) {
            result.refused += sentCount;
            continue;
        }
        result.added += static_cast<std::size_t>(reply->getInt("added").value_or(0));
        result.refused += static_cast<std::size_t>(reply->getInt("refused").value_or(0));
    }
    return result;
}

} // namespace platform
