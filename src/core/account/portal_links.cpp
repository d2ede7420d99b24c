#include "core/account/portal_links.h"

#include <cstdio>

#include "core/account/portal_request.h"
#include "core/cipher/md5.h"
#include "platform/gbk_codec.h"

std::string portalTimeStamp(const platform::LocalDateTime& t)
{
    char buf[32];
    std::snprintf(
        buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

std::string buildPortalQuery(std::string_view user, std::string_view password, const platform::Clock& clock)
{
    const std::string stamp = portalTimeStamp(clock.now());
    const std::string sign = cipher::md5Hex(stamp + platform::utf8ToGbk(password));
    return "SiteCheck.aspx?u=" + encodeQueryValue(user) + "&t=" + stamp + "&c=" + sign + "&r=";
}

std::string kickAddress(const std::string& portalBase, std::string_view user)
{
    return portalBase + "ClearContact.aspx?Username=" + encodeQueryValue(user);
}
