#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One plain-HTTP/1.1 GET over a socket of its own, redirects followed if
// asked, cookies kept only for the exchange. Blocking; every wait is bounded.
struct HttpGetOptions {
    std::vector<std::string> headers; // "Name: value", after Host
    bool followRedirects = false;
    int maxRedirects = 10;
    long connectTimeoutMs = 5000;
    long totalTimeoutMs = 15000;
    // Ends a transfer that moves fewer than lowSpeedBytes per second over
    // lowSpeedSeconds; 0 seconds: no such check.
    long lowSpeedBytes = 0;
    long lowSpeedSeconds = 0;
};

struct HttpGetResult {
    bool complete = false; // a whole reply was read (any status)
    long status = 0;
    std::string error; // empty when complete
    // Set when a redirect to be followed leads to an https:// address, which
    // this client does not speak.
    std::string tlsRedirect;
};

// Takes body bytes as they arrive; false ends the transfer.
using HttpBodySink = std::function<bool(std::string_view)>;

// Body bytes of the final reply go to sink.
HttpGetResult httpGet(const std::string& url, const HttpGetOptions& options, const HttpBodySink& sink);
