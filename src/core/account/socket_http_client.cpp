#include "core/account/http_client.h"
#include "core/http/http_get.h"

HttpResponse SocketHttpClient::get(const HttpRequest& request)
{
    HttpResponse response;
    HttpGetOptions options;
    options.headers = request.headers;
    options.followRedirects = request.followRedirects;
    options.connectTimeoutMs = request.connectTimeoutMs;
    options.totalTimeoutMs = request.totalTimeoutMs;
    const HttpGetResult result = httpGet(request.url, options, [&](std::string_view bytes) {
        if (bytes.size() > request.maxBodyBytes - response.body.size())
            return false;
        response.body.append(bytes);
        return true;
    });
    response.status = result.status;
    response.ok = result.complete && result.status >= 200 && result.status < 300;
    if (!result.complete)
        response.error = result.error;
    else if (!response.ok)
        response.error = "HTTP status " + std::to_string(result.status);
    return response;
}
