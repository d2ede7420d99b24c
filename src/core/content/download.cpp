#include "core/content/download.h"

#include "base/atomic_file.h"

#include <cctype>
#include <string_view>
#include <curl/curl.h>
#include <mutex>

namespace {

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Sink {
    AtomicFile& file;
    bool failed = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<Sink*>(user);
    const size_t total = size * count;
    if (!sink->file.write(std::string_view(data, total))) {
        sink->failed = true;
        return 0; // makes curl stop with a write error
    }
    return total;
}

bool transfer(const std::string& url, Sink& sink, const DownloadLimits& limits)
{
    CURL* curl = curl_easy_init();
    if (!curl)
        return false;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    // Only web addresses: a downloaded address must not copy local files.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytes);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    return rc == CURLE_OK && !sink.failed && status >= 200 && status < 300;
}

// curl would take an address without a scheme for a host name and guess
// http; only an explicit web address is fetched.
bool isWebAddress(const std::string& url)
{
    const auto startsWith = [&](std::string_view prefix) {
        if (url.size() < prefix.size())
            return false;
        for (size_t i = 0; i < prefix.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(url[i])) != prefix[i])
                return false;
        return true;
    };
    return startsWith("http://") || startsWith("https://");
}

} // namespace

bool downloadToFile(const std::string& url, const std::string& file, const DownloadLimits& limits)
{
    try {
        if (!isWebAddress(url) || file.empty() || file.back() == '/')
            return false;
        globalInit();
        // A link in the program directory is replaced, never written through.
        AtomicFile out(file, 0644, AtomicFile::Links::Replace);
        if (!out.ok())
            return false;
        Sink sink { out };
        return transfer(url, sink, limits) && out.commit();
    } catch (...) {
        return false;
    }
}
