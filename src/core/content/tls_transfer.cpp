#include "core/content/tls_transfer.h"

#include <curl/curl.h>
#include <dlfcn.h>
#include <mutex>

namespace {

struct Curl {
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL*, CURLoption, ...);
    CURLcode (*easyPerform)(CURL*);
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
    void (*easyCleanup)(CURL*);
};

const Curl* loadCurl()
{
    static Curl curl;
    static bool loaded = false;
    static std::once_flag once;
    std::call_once(once, [] {
        void* lib = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!lib)
            return;
        const auto globalInit = reinterpret_cast<CURLcode (*)(long)>(::dlsym(lib, "curl_global_init"));
        curl.easyInit = reinterpret_cast<CURL* (*)()>(::dlsym(lib, "curl_easy_init"));
        curl.easySetopt
            = reinterpret_cast<CURLcode (*)(CURL*, CURLoption, ...)>(::dlsym(lib, "curl_easy_setopt"));
        curl.easyPerform = reinterpret_cast<CURLcode (*)(CURL*)>(::dlsym(lib, "curl_easy_perform"));
        curl.easyGetinfo
            = reinterpret_cast<CURLcode (*)(CURL*, CURLINFO, ...)>(::dlsym(lib, "curl_easy_getinfo"));
        curl.easyCleanup = reinterpret_cast<void (*)(CURL*)>(::dlsym(lib, "curl_easy_cleanup"));
        loaded = globalInit && curl.easyInit && curl.easySetopt && curl.easyPerform && curl.easyGetinfo
            && curl.easyCleanup && globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    });
    return loaded ? &curl : nullptr;
}

size_t writeBody(char* data, size_t size, size_t count, void* user)
{
    const size_t total = size * count;
    return (*static_cast<const HttpBodySink*>(user))(std::string_view(data, total)) ? total : 0;
}

} // namespace

bool tlsTransfer(const std::string& url, const DownloadLimits& limits, const HttpBodySink& sink)
{
    const Curl* api = loadCurl();
    if (!api)
        return false;
    CURL* curl = api->easyInit();
    if (!curl)
        return false;
    api->easySetopt(curl, CURLOPT_URL, url.c_str());
    // Only web addresses: a downloaded address must not copy local files.
    api->easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    api->easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    api->easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    api->easySetopt(curl, CURLOPT_MAXREDIRS, 10L);
    api->easySetopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    api->easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytes);
    api->easySetopt(curl, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    api->easySetopt(curl, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
    api->easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    api->easySetopt(curl, CURLOPT_PROXY, "");
    api->easySetopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    api->easySetopt(curl, CURLOPT_WRITEDATA, &sink);
    const CURLcode rc = api->easyPerform(curl);
    long status = 0;
    api->easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    api->easyCleanup(curl);
    return rc == CURLE_OK && status >= 200 && status < 300;
}
