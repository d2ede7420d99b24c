#include "core/account/connection_policy.h"

#include "core/account/portal_request.h"
#include "platform/gbk_codec.h"

PolicyReply splitPolicyReply(std::string_view r)
{
    PolicyReply p;
    const size_t tilde = r.find('~');
    p.linkMinutes = std::string(tilde == std::string_view::npos ? std::string_view() : r.substr(0, tilde));
    // Positions counted from 1: the count is (first "|") - len(A) - 2.
    const size_t bar = r.find('|');
    const long barPos = bar == std::string_view::npos ? 0 : static_cast<long>(bar) + 1;
    const long count = barPos - static_cast<long>(p.linkMinutes.size()) - 2;
    const size_t start = tilde == std::string_view::npos ? 0 : tilde + 1;
    if (count > 0 && start < r.size())
        p.waitMinutes = std::string(r.substr(start, static_cast<size_t>(count)));
    p.verdict = std::string(bar == std::string_view::npos ? r : r.substr(bar + 1));
    return p;
}

std::string fetchConnectionPolicy(HttpClient& http, const std::string& portalBase,
    const std::string& portalUser, std::string& linkMinutes, std::string& waitMinutes, const EventLog& log)
{
    try {
        const HttpResponse reply = http.get(accountServerRequest(policyUrl(portalBase, portalUser)));
        if (!reply.ok) {
            log.write("获取上次登陆信息失败!");
            return {};
        }
        const PolicyReply p = splitPolicyReply(platform::gbkToUtf8(reply.body));
        linkMinutes = p.linkMinutes;
        waitMinutes = p.waitMinutes;
        return p.verdict;
    } catch (...) {
        log.write("获取上次登陆信息失败!");
        return {};
    }
}
