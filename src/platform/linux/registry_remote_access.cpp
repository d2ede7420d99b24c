#include "platform/linux/registry_remote_access.h"

#include <charconv>
#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

#include "platform/linux/tun_device.h"

namespace platform {
namespace {

std::optional<std::uint64_t> readCounter(const std::string& path)
{
    std::ifstream in(path);
    std::string text;
    if (!(in >> text))
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool waitGone(const ConnectionRecord& r, int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (ConnectionRegistry::processAlive(r.pid, r.pidStartTicks)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace

RegistryRemoteAccess::RegistryRemoteAccess(
    ConnectionRegistry registry, std::shared_ptr<const Clock> clock, std::string sysClassNet)
    : registry_(std::move(registry))
    , clock_(std::move(clock))
    , sysClassNet_(std::move(sysClassNet))
{
    if (!sysClassNet_.empty() && sysClassNet_.back() != '/')
        sysClassNet_.push_back('/');
}

std::optional<std::vector<RasConnection>> RegistryRemoteAccess::listConnections()
{
    const auto records = registry_.list();
    if (!records || records->size() > kMaxConnections)
        return std::nullopt;
    std::vector<RasConnection> out;
    for (const auto& r : *records)
        out.push_back({ r.handle, r.entryName });
    return out;
}

std::optional<int> RegistryRemoteAccess::connectionStatus(ConnectionHandle handle)
{
    const auto r = registry_.read(handle);
    if (!r)
        return std::nullopt;
    if (!ConnectionRegistry::isLive(*r))
        return kDisconnected;
    return r->state == ConnectionRecord::State::Connected ? kConnected : kDialing;
}

std::optional<RasStatistics> RegistryRemoteAccess::statistics(ConnectionHandle handle)
{
    const auto r = registry_.read(handle);
    if (!r || r->state != ConnectionRecord::State::Connected || r->interfaceName.empty()
        || r->interfaceName.find('/') != std::string::npos)
        return std::nullopt;
    const std::string base = sysClassNet_ + r->interfaceName + "/statistics/";
    const auto sent = readCounter(base + "tx_bytes");
    const auto received = readCounter(base + "rx_bytes");
    if (!sent || !received)
        return std::nullopt;
    RasStatistics s;
    s.bytesSent = static_cast<std::uint32_t>(*sent);
    s.bytesReceived = static_cast<std::uint32_t>(*received);
    const std::int64_t elapsed = clock_->steadyMilliseconds() - r->startedMs;
    s.durationMs = elapsed > 0 ? static_cast<std::uint64_t>(elapsed) : 0;
    return s;
}

void RegistryRemoteAccess::hangUp(ConnectionHandle handle)
{
    if (const auto r = registry_.read(handle))
        endConnection(registry_, *r);
}

void endConnection(const ConnectionRegistry& registry, const ConnectionRecord& r)
{
    if (r.pid > 0 && ConnectionRegistry::processAlive(r.pid, r.pidStartTicks)) {
        kill(r.pid, SIGTERM);
        if (!waitGone(r, 3000)) {
            kill(r.pid, SIGKILL);
            waitGone(r, 1000);
        }
    }
    // A holder that was killed outright leaves its persistent interface; the
    // index check keeps a later interface of the same name alone.
    if (r.ownsTun && ConnectionRegistry::interfaceExists(r.interfaceName, r.interfaceIndex))
        TunDevice::removePersistent(r.interfaceName);
    registry.remove(r.handle);
}

} // namespace platform
