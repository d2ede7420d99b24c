#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A plain-HTTP address taken apart for one request. The bytes of the path and
// query go on the wire as they are: high bytes raw, no percent-encoding.
struct HttpUrl {
    std::string host; // as written; an IPv6 literal without its brackets
    uint16_t port = 80;
    std::string target; // path and query, starting with "/"

    // "host" or "host:port" for the Host header.
    std::string hostHeader() const;
};

// "http://" (any case) + host [":" port] [path] [? query] [# fragment]. The
// fragment is never sent. A space or a control byte anywhere, user
// information, an empty host or a bad port make the address unusable.
std::optional<HttpUrl> parseHttpUrl(std::string_view url);

// The address a Location header points to, seen from base: absolute, without a
// scheme ("//host/..."), from the root ("/...") or beside base's path.
std::string resolveLocation(const HttpUrl& base, std::string_view location);
