#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the service accepts from a caller, before anything of it reaches a
// backend. Every check answers with the error number to report, or 0.
namespace request_policy {

inline constexpr std::size_t kMaxEntryBytes = 256;
inline constexpr std::size_t kMaxUserBytes = 256;
inline constexpr std::size_t kMaxPasswordBytes = 256;
inline constexpr std::size_t kMaxPhoneBytes = 253;
inline constexpr std::size_t kMaxPhonebookBytes = 256 * 1024;

// An entry name is a section name and part of file names: no control bytes,
// no '/', not "." or "..".
int checkEntry(std::string_view entry);
// No control bytes (a user name becomes a line of pppd's options file).
int checkUser(std::string_view user);
// Any bytes but CR, LF and NUL; quotes and backslashes are escaped later.
int checkPassword(std::string_view password);
// Empty (the entry's own number), or a host name or dotted address.
int checkPhone(std::string_view phone);
int checkPhonebook(std::string_view phonebook);

// One route as a caller asks for it: "a.b.c.d/len ifindex metric".
struct RouteRequest {
    std::uint32_t destination = 0; // network byte order
    int prefix = 0;
    int interfaceIndex = 0;
    std::uint32_t metric = 0;
};
std::optional<RouteRequest> parseRoute(std::string_view text);
// Unicast IPv4 only, host bits clear; the default route only with fullRelay.
bool routeAllowed(const RouteRequest& route, bool fullRelay);

} // namespace request_policy
