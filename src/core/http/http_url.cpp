#include "core/http/http_url.h"

#include "base/ascii.h"

namespace {

std::optional<uint16_t> parsePort(std::string_view digits)
{
    if (digits.empty() || digits.size() > 5)
        return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

} // namespace

std::string HttpUrl::hostHeader() const
{
    const std::string name = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return port == 80 ? name : name + ":" + std::to_string(port);
}

std::optional<HttpUrl> parseHttpUrl(std::string_view url)
{
    constexpr std::string_view scheme = "http://";
    if (!equalsIgnoringAsciiCase(url.substr(0, scheme.size()), scheme))
        return std::nullopt;
    for (unsigned char c : url)
        if (c <= 0x20 || c == 0x7f)
            return std::nullopt;
    url.remove_prefix(scheme.size());
    url = url.substr(0, url.find('#'));

    const size_t authorityEnd = url.find_first_of("/?");
    std::string_view authority = url.substr(0, authorityEnd);
    std::string_view rest
        = authorityEnd == std::string_view::npos ? std::string_view() : url.substr(authorityEnd);
    if (authority.find('@') != std::string_view::npos)
        return std::nullopt;

    HttpUrl parsed;
    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        parsed.host = std::string(authority.substr(1, close - 1));
        std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return std::nullopt;
            portText = after.substr(1);
            if (portText.empty())
                return std::nullopt;
        }
    } else {
        const size_t colon = authority.find(':');
        parsed.host = std::string(authority.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = authority.substr(colon + 1);
            if (portText.empty())
                return std::nullopt;
        }
    }
    if (parsed.host.empty())
        return std::nullopt;
    if (!portText.empty()) {
        const auto port = parsePort(portText);
        if (!port)
            return std::nullopt;
        parsed.port = *port;
    }
    if (rest.empty())
        parsed.target = "/";
    else if (rest.front() == '?')
        parsed.target = "/" + std::string(rest);
    else
        parsed.target = std::string(rest);
    return parsed;
}

std::string resolveLocation(const HttpUrl& base, std::string_view location)
{
    if (location.find("://") != std::string_view::npos)
        return std::string(location);
    const std::string origin = "http://" + base.hostHeader();
    if (location.substr(0, 2) == "//")
        return "http:" + std::string(location);
    if (!location.empty() && location.front() == '/')
        return origin + std::string(location);
    const std::string path = base.target.substr(0, base.target.find('?'));
    return origin + path.substr(0, path.rfind('/') + 1) + std::string(location);
}
