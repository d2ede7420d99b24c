#include <curl/curl.h>
#include <mutex>

#include "core/account/http_client.h"

namespace {

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Body {
    std::string& bytes;
    size_t limit;
};

size_t appendBody(char* data, size_t size, size_t count, void* user)
{
    Body& body = *static_cast<Body*>(user);
    if (size * count > body.limit - body.bytes.size())
        return 0; // ends the transfer with a write error
    body.bytes.append(data, size * count);
    return size * count;
}

} // namespace

HttpResponse CurlHttpClient::get(const HttpRequest& request)
{
    globalInit();
    HttpResponse response;
    CURL* curl = curl_easy_init();
    if (!curl) {
        response.error = "curl_easy_init failed";
        return response;
    }
    curl_slist* headers = nullptr;
    for (const auto& h : request.headers)
        headers = curl_slist_append(headers, h.c_str());

    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, ""); // in-memory cookies for this handle only
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.totalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    Body body { response.body, request.maxBodyBytes };
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);

    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    if (rc != CURLE_OK)
        response.error = curl_easy_strerror(rc);
    else if (response.status < 200 || response.status >= 300)
        response.error = "HTTP status " + std::to_string(response.status);
    response.ok = rc == CURLE_OK && response.status >= 200 && response.status < 300;

    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return response;
}
