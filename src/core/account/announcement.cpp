#include "core/account/announcement.h"

Announcement splitAnnouncement(std::string_view text)
{
    const size_t bar = text.find('|');
    if (bar == std::string_view::npos)
        return { {}, std::string(text) };
    return { std::string(text.substr(0, bar)), std::string(text.substr(bar + 1)) };
}

HttpRequest announcementRequest(const std::string& portalBase)
{
    HttpRequest request;
    request.url = portalBase + "/gonggao.txt";
    request.headers = { http_headers::kUserAgent, http_headers::kAccept, http_headers::kContentType };
    request.followRedirects = true;
    request.totalTimeoutMs = 10000; // only a caption; the saved login waits for it
    return request;
}
