#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One HTTP GET exchange. Every call uses a fresh client: cookies and
// connections die with the exchange.
struct HttpRequest {
    std::string url; // bytes as they go on the wire
    std::vector<std::string> headers; // "Name: value"
    bool followRedirects = false;
    // A portal that takes longer than this to answer a few lines is down for
    // the user, who waits on a busy window meanwhile.
    long connectTimeoutMs = 5000;
    long totalTimeoutMs = 15000;
    // The portal's replies are a few lines; a larger body is not one of them
    // and must not fill the memory.
    size_t maxBodyBytes = 1 << 20;
};

struct HttpResponse {
    bool ok = false; // transfer complete with a 2xx status
    long status = 0;
    std::string body; // raw bytes
    std::string error;
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpResponse get(const HttpRequest& request) = 0;
};

// Plain HTTP/1.1 over a socket of its own per exchange.
class SocketHttpClient final : public HttpClient {
public:
    HttpResponse get(const HttpRequest& request) override;
};

// Request headers of the client's own HTTP exchanges.
namespace http_headers {
inline constexpr const char* kUserAgent = "User-Agent: Mozilla/3.0 (compatible; Indy Library)";
inline constexpr const char* kAccept = "Accept: text/html, */*";
inline constexpr const char* kContentType = "Content-Type: text/html";
} // namespace http_headers
