#include "core/content/download.h"

#include "base/ascii.h"
#include "base/atomic_file.h"
#include "core/content/tls_transfer.h"
#include "core/http/http_get.h"

namespace {

bool hasScheme(const std::string& url, std::string_view scheme)
{
    return equalsIgnoringAsciiCase(std::string_view(url).substr(0, scheme.size()), scheme);
}

bool plainTransfer(const std::string& url, const DownloadLimits& limits, const HttpBodySink& sink)
{
    HttpGetOptions options;
    options.followRedirects = true;
    options.connectTimeoutMs = limits.connectTimeoutMs;
    options.totalTimeoutMs = limits.totalTimeoutMs;
    options.lowSpeedBytes = limits.lowSpeedBytes;
    options.lowSpeedSeconds = limits.lowSpeedSeconds;
    const HttpGetResult result = httpGet(url, options, sink);
    if (!result.tlsRedirect.empty())
        return tlsTransfer(result.tlsRedirect, limits, sink);
    return result.complete && result.status >= 200 && result.status < 300;
}

} // namespace

bool downloadToFile(const std::string& url, const std::string& file, const DownloadLimits& limits)
{
    try {
        // Only an explicit web address is fetched: a downloaded address must
        // not copy local files.
        const bool tls = hasScheme(url, "https://");
        if ((!tls && !hasScheme(url, "http://")) || file.empty() || file.back() == '/')
            return false;
        // A link in the program directory is replaced, never written through.
        AtomicFile out(file, 0644, AtomicFile::Links::Replace);
        if (!out.ok())
            return false;
        bool written = true;
        const auto sink = [&](std::string_view bytes) { return written = out.write(bytes); };
        const bool transferred = tls ? tlsTransfer(url, limits, sink) : plainTransfer(url, limits, sink);
        return transferred && written && out.commit();
    } catch (...) {
        return false;
    }
}
