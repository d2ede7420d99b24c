#include "core/vpn/connection_monitor.h"

#include <cstdio>

#include "base/ascii.h"
#include "platform/remote_access.h"

std::string formatKilobytes(std::uint32_t bytes)
{
    const std::string digits = std::to_string(bytes / 1024);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

std::string formatConnectionTime(std::uint64_t durationMs)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2d:%.2d:%.2d", static_cast<int>((durationMs / 3600000) % 24),
        static_cast<int>((durationMs / 60000) % 60), static_cast<int>((durationMs / 1000) % 60));
    return buf;
}

bool connectionLimitReached(std::uint64_t durationMs, std::string_view linkMinutes)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2llu", static_cast<unsigned long long>(durationMs / 60000));
    return equalsIgnoringAsciiCase(buf, linkMinutes);
}

std::string freeAccountNotice(const std::string& appTitle, const std::string& linkMinutes)
{
    return "尊敬的用户：您使用的是" + appTitle + "，带宽限制50K，每" + linkMinutes
        + "分钟自动断线一次。体验8M带宽极速感受请购买" + "Zavtrel" + "VIP版！";
}

std::string policyRefusalText(const std::string& linkMinutes, const std::string& waitMinutes)
{
    return linkMinutes + "分钟自动断线," + waitMinutes + "分钟后可以登陆!";
}

bool linkLost(std::optional<int> status)
{
    return !status || *status == platform::RemoteAccess::kDisconnected;
}
