#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Splits at every occurrence of a one-character separator; a text ending in
// the separator ends with an empty item, an empty text gives no items.
std::vector<std::string> splitString(std::string_view text, char separator);

enum class LoginVerdict { Success, Stopped, Refused };

// "ok!" anywhere wins over "stop" anywhere; both exact in letter case.
LoginVerdict classifyLoginReply(std::string_view reply);

// The items of a success reply, by position.
struct LoginReply {
    std::string clientIp; // 1
    std::string balance; // 2
    std::string daysLeft; // 3
    int accountState = 0; // 4: 0 free, 1 VIP, 2 frozen
    std::string requiredVersion; // 5
    int adSwitch = 0; // 6
    int fullRelayAllowed = 0; // 7
    std::string item8;
    int newsSwitch = 0; // 9
    std::string newsTitle; // 10
    std::string item11;
    std::string newsWidth; // 12
    std::string newsHeight; // 13
    int item14 = 0;
    std::string item15;
};

// Nothing when the reply has fewer than 16 items or a non-integer in one of
// the integer items.
std::optional<LoginReply> parseLoginReply(std::string_view reply);

inline constexpr std::string_view kClientVersion = "2.9";
bool versionAccepted(std::string_view requiredVersion);

// Schedule and news switches: 2 for every account, 1 for free accounts only.
inline bool switchApplies(int value, bool vipAccount)
{
    return value == 2 || (value == 1 && !vipAccount);
}

// Decimal integer text, as the reply and the news sizes use it.
bool parseReplyInt(std::string_view text, int& out);
