#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/event_log.h"
#include "platform/network_adapters.h"
#include "platform/route_table.h"

// The tunnel's adapter: index 0 and no address when there is none.
struct TunnelAdapter {
    int ifIndex = 0;
    std::string ip;
};

// The last IPv4 address of a PPP adapter that begins with "172.", "178.",
// "179." or "10.", with its adapter's index.
TunnelAdapter findTunnelAdapter(const std::vector<platform::NetworkAdapter>& adapters);

// One line of a route table file, both in network byte order.
struct RouteLine {
    std::uint32_t destination;
    std::uint32_t mask;
};

// "destination mask" per line (CR LF, LF or CR), split at the first space and
// trimmed; lines without a space are skipped. Text that is no address gives
// 255.255.255.255, as inet_addr does.
std::vector<RouteLine> parseRouteTable(std::string_view text);

// "RouteTablewt.tab" for line type 2 (netcom), "RouteTabledx.tab" for any other.
std::string routeTableFileName(int lineType);

class RouteTableFileError : public std::runtime_error {
public:
    explicit RouteTableFileError(const std::string& path);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Routes the other carrier's address blocks through the tunnel after a dial.
// Runs on the dial worker's thread; the routes are never taken away again.
class RouteInstaller {
public:
    static constexpr std::uint32_t kMetric = 999;

    RouteInstaller(const platform::NetworkAdapters& adapters, platform::RouteTable& routes)
        : adapters_(adapters)
        , routes_(routes)
    {
    }

    // Looks for the tunnel again and remembers what it found.
    const TunnelAdapter& findTunnelAdapter();
    const TunnelAdapter& tunnel() const { return tunnel_; }

    // One route per line of the line type's table in appDir, through the
    // tunnel. Without a tunnel it logs "添加路由失败:<index>:<address>" and adds
    // nothing. Throws RouteTableFileError when the table cannot be read.
    platform::RouteBatchResult installRoutes(int lineType, const std::string& appDir, const EventLog& log);

private:
    const platform::NetworkAdapters& adapters_;
    platform::RouteTable& routes_;
    TunnelAdapter tunnel_;
};
