#include "core/vpn/route_installer.h"

#include "base/file_bytes.h"

#include <arpa/inet.h>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

bool isTunnelAddress(const std::string& ip)
{
    const std::string_view s(ip);
    return s.starts_with("172.") || s.starts_with("178.") || s.starts_with("179.") || s.starts_with("10.");
}

bool isBlank(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u <= ' ' || u == 0x7f;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Plain "a.b.c.d" in decimal without leading zeros, as nearly every line
// holds; nothing for anything else.
std::optional<std::uint32_t> plainDottedQuad(std::string_view text)
{
    std::uint32_t address = 0;
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        const size_t begin = pos;
        unsigned value = 0;
        while (pos < text.size() && pos - begin < 3 && text[pos] >= '0' && text[pos] <= '9')
            value = value * 10 + static_cast<unsigned>(text[pos++] - '0');
        const size_t digits = pos - begin;
        if (digits == 0 || value > 255 || (digits > 1 && text[begin] == '0'))
            return std::nullopt;
        address = address << 8 | value;
    }
    if (pos != text.size())
        return std::nullopt;
    return htonl(address);
}

std::uint32_t toAddress(std::string_view text)
{
    if (const auto plain = plainDottedQuad(text))
        return *plain;
    // Every other form (octal, hexadecimal, fewer parts, junk) as inet_addr
    // reads it.
    char buf[32];
    if (text.size() < sizeof buf) {
        text.copy(buf, text.size());
        buf[text.size()] = '\0';
        return inet_addr(buf);
    }
    return inet_addr(std::string(text).c_str());
}

} // namespace

TunnelAdapter findTunnelAdapter(const std::vector<platform::NetworkAdapter>& adapters)
{
    TunnelAdapter found;
    for (const auto& adapter : adapters) {
        if (adapter.linkType != platform::NetworkAdapter::kLinkPpp)
            continue;
        for (const auto& ip : adapter.ipv4) {
            if (isTunnelAddress(ip))
                found = { adapter.index, ip };
        }
    }
    return found;
}

std::vector<RouteLine> parseRouteTable(std::string_view text)
{
    std::vector<RouteLine> lines;
    lines.reserve(text.size() / 24);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;

        const size_t space = line.find(' ');
        if (space == std::string_view::npos)
            continue;
        lines.push_back({ toAddress(trim(line.substr(0, space))), toAddress(trim(line.substr(space + 1))) });
    }
    return lines;
}

std::string routeTableFileName(int lineType)
{
    return lineType == 2 ? "RouteTablewt.tab" : "RouteTabledx.tab";
}

RouteTableFileError::RouteTableFileError(const std::string& path)
    : std::runtime_error("Cannot read route table " + path)
    , path_(path)
{
}

const TunnelAdapter& RouteInstaller::findTunnelAdapter()
{
    tunnel_ = {};
    tunnel_ = ::findTunnelAdapter(adapters_.list());
    return tunnel_;
}

platform::RouteBatchResult RouteInstaller::installRoutes(
    int lineType, const std::string& appDir, const EventLog& log)
{
    findTunnelAdapter();
    if (tunnel_.ifIndex <= 0 || tunnel_.ip.empty()) {
        log.write("添加路由失败:" + std::to_string(tunnel_.ifIndex) + ":" + tunnel_.ip);
        return {};
    }
    const std::string path = appDir + routeTableFileName(lineType);
    std::string text;
    if (!readFileBytes(path, text))
        throw RouteTableFileError(path);

    const std::uint32_t nextHop = inet_addr(tunnel_.ip.c_str());
    std::vector<platform::Ipv4Route> routes;
    for (const RouteLine& line : parseRouteTable(text)) {
        platform::Ipv4Route r;
        r.destination = line.destination;
        r.mask = line.mask;
        r.nextHop = nextHop;
        r.interfaceIndex = tunnel_.ifIndex;
        r.metric = kMetric;
        r.direct = true;
        routes.push_back(r);
    }
    return routes_.addRoutes(routes);
}
