#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"

// "SiteCheck.aspx?u=USER&t=STAMP&c=SIGN&r=": STAMP is the local time as
// yyyymmddhhmmss, taken once; SIGN the lower-case MD5 of the GBK bytes of
// STAMP followed by the password. The caller appends the page.
std::string buildPortalQuery(std::string_view user, std::string_view password, const platform::Clock& clock);
std::string portalTimeStamp(const platform::LocalDateTime& t);
