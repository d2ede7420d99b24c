#pragma once

#include <string>
#include <string_view>

#include "core/account/http_client.h"
#include "base/event_log.h"

// The account server's policy reply "A~B|C": connection minutes, waiting
// minutes, verdict. Split at the first "~" and the first "|".
struct PolicyReply {
    std::string linkMinutes;
    std::string waitMinutes;
    std::string verdict;
};
PolicyReply splitPolicyReply(std::string_view reply);

inline bool policyAllows(std::string_view verdict)
{
    return verdict.find("OK") != std::string_view::npos;
}
inline bool policyWantsNotice(std::string_view verdict)
{
    return verdict.find("NOMSG") == std::string_view::npos;
}

// Asks the policy for a free account. On success sets linkMinutes and
// waitMinutes; on failure logs and keeps them. Never throws; a failure gives
// the empty verdict, which refuses.
std::string fetchConnectionPolicy(HttpClient& http, const std::string& portalBase,
    const std::string& portalUser, std::string& linkMinutes, std::string& waitMinutes, const EventLog& log);
