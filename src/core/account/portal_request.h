#pragma once

#include <string>
#include <string_view>

#include "core/account/http_client.h"

// Query values go on the wire as their GBK bytes, not percent-encoded, except
// the bytes that would break the request line or change the query's meaning
// (space, control bytes, "%", "&", "#", "+"), which are percent-encoded.
std::string encodeQueryValue(std::string_view utf8);

// A GET of the account server: HTTP/1.1, the client's own headers, no
// redirects followed (a redirect is a failed request).
HttpRequest accountServerRequest(std::string url);

std::string loginUrl(const std::string& portalBase, std::string_view user, std::string_view password);
std::string policyUrl(const std::string& portalBase, std::string_view user);
