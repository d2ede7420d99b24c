#pragma once

#include <string>
#include <string_view>

#include "core/account/http_client.h"

// The service's announcement: the caption of the login panel's link before
// the first "|", the address it opens after it. Without a "|" the caption is
// empty and the address is the whole text.
struct Announcement {
    std::string caption;
    std::string url;
};
Announcement splitAnnouncement(std::string_view text);

// GET portalBase + "/gonggao.txt" (two slashes, as the base ends in one), the
// one exchange of the client that follows redirects.
HttpRequest announcementRequest(const std::string& portalBase);
