#include "core/account/login_reply.h"

#include "base/ascii.h"
#include "base/ini_file.h"

std::vector<std::string> splitString(std::string_view text, char separator)
{
    std::vector<std::string> items;
    if (text.empty())
        return items;
    size_t pos;
    while ((pos = text.find(separator)) != std::string_view::npos) {
        items.emplace_back(text.substr(0, pos));
        text.remove_prefix(pos + 1);
    }
    items.emplace_back(text);
    return items;
}

LoginVerdict classifyLoginReply(std::string_view reply)
{
    if (reply.find("ok!") != std::string_view::npos)
        return LoginVerdict::Success;
    if (reply.find("stop") != std::string_view::npos)
        return LoginVerdict::Stopped;
    return LoginVerdict::Refused;
}

bool parseReplyInt(std::string_view text, int& out)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return parseIniInt(text, out);
}

std::optional<LoginReply> parseLoginReply(std::string_view reply)
{
    const auto items = splitString(reply, '|');
    if (items.size() < 16)
        return std::nullopt;
    LoginReply r;
    r.clientIp = items[1];
    r.balance = items[2];
    r.daysLeft = items[3];
    r.requiredVersion = items[5];
    r.item8 = items[8];
    r.newsTitle = items[10];
    r.item11 = items[11];
    r.newsWidth = items[12];
    r.newsHeight = items[13];
    r.item15 = items[15];
    if (!parseReplyInt(items[4], r.accountState) || !parseReplyInt(items[6], r.adSwitch)
        || !parseReplyInt(items[7], r.fullRelayAllowed) || !parseReplyInt(items[9], r.newsSwitch)
        || !parseReplyInt(items[14], r.item14))
        return std::nullopt;
    return r;
}

bool versionAccepted(std::string_view requiredVersion)
{
    return equalsIgnoringAsciiCase(requiredVersion, kClientVersion);
}
