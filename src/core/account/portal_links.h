#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"

// "SiteCheck.aspx?u=USER&t=STAMP&c=SIGN&r=": USER is the user name as the
// login sends it (GBK, with the same bytes escaped), so the portal sees the
// name the account server knows; STAMP is the local time as yyyymmddhhmmss,
// taken once; SIGN the lower-case MD5 of the GBK bytes of STAMP followed by
// the password. The caller appends the page.
std::string buildPortalQuery(std::string_view user, std::string_view password, const platform::Clock& clock);
// The self-service kick page of a user, unsigned.
std::string kickAddress(const std::string& portalBase, std::string_view user);
std::string portalTimeStamp(const platform::LocalDateTime& t);
