#include "tools/rasd/request_policy.h"

#include <arpa/inet.h>
#include <charconv>

#include "tools/rasd/ras_error.h"

namespace request_policy {
namespace {

bool hasControlByte(std::string_view s)
{
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

template <typename T> bool parseNumber(std::string_view text, T& out)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

} // namespace

int checkEntry(std::string_view entry)
{
    if (entry.empty() || entry.size() > kMaxEntryBytes || hasControlByte(entry)
        || entry.find('/') != std::string_view::npos || entry == "." || entry == "..")
        return ras::kCannotFindPhonebookEntry;
    return 0;
}

int checkUser(std::string_view user)
{
    return user.size() > kMaxUserBytes || hasControlByte(user) ? ras::kInvalidParameter : 0;
}

int checkPassword(std::string_view password)
{
    if (password.size() > kMaxPasswordBytes
        || password.find_first_of(std::string_view("\r\n\0", 3)) != password.npos)
        return ras::kInvalidParameter;
    return 0;
}

int checkPhone(std::string_view phone)
{
    if (phone.size() > kMaxPhoneBytes || (!phone.empty() && (phone.front() == '-' || phone.front() == '.')))
        return ras::kInvalidParameter;
    for (char c : phone)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
                || c == '-'))
            return ras::kInvalidParameter;
    return 0;
}

int checkPhonebook(std::string_view phonebook)
{
    return phonebook.size() > kMaxPhonebookBytes ? ras::kCannotOpenPhonebook : 0;
}

std::optional<RouteRequest> parseRoute(std::string_view text)
{
    const std::size_t slash = text.find('/');
    const std::size_t sp1 = text.find(' ', slash == text.npos ? 0 : slash);
    const std::size_t sp2 = sp1 == text.npos ? text.npos : text.find(' ', sp1 + 1);
    if (slash == text.npos || sp1 == text.npos || sp2 == text.npos || slash > 15)
        return std::nullopt;
    RouteRequest r;
    const std::string address(text.substr(0, slash));
    in_addr a {};
    if (inet_pton(AF_INET, address.c_str(), &a) != 1)
        return std::nullopt;
    r.destination = a.s_addr;
    if (!parseNumber(text.substr(slash + 1, sp1 - slash - 1), r.prefix) || r.prefix < 0 || r.prefix > 32
        || !parseNumber(text.substr(sp1 + 1, sp2 - sp1 - 1), r.interfaceIndex) || r.interfaceIndex <= 0
        || !parseNumber(text.substr(sp2 + 1), r.metric))
        return std::nullopt;
    return r;
}

bool routeAllowed(const RouteRequest& route, bool fullRelay)
{
    const std::uint32_t host = ntohl(route.destination);
    const std::uint32_t mask = route.prefix == 0 ? 0 : ~std::uint32_t(0) << (32 - route.prefix);
    if ((host & ~mask) != 0)
        return false;
    if (route.prefix == 0)
        return fullRelay;
    // Nothing of this network, loopback, multicast or the reserved block.
    const std::uint32_t last = host | ~mask;
    const auto overlaps = [&](std::uint32_t lo, std::uint32_t hi) { return host <= hi && last >= lo; };
    return !overlaps(0x00000000, 0x00ffffff) && !overlaps(0x7f000000, 0x7fffffff)
        && !overlaps(0xe0000000, 0xffffffff);
}

} // namespace request_policy
