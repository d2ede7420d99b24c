#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Kilobytes of a byte counter with thousands separators, no decimals.
std::string formatKilobytes(std::uint32_t bytes);
// hh:mm:ss of a duration; the hours start again after 24.
std::string formatConnectionTime(std::uint64_t durationMs);
// The free-account limit: the whole minutes, unwrapped and written with at
// least two digits, equal to linkMinutes as text (letter case ignored). A
// one-digit limit therefore never fires.
bool connectionLimitReached(std::uint64_t durationMs, std::string_view linkMinutes);

// The watchdog's verdict on a status query: lost when the query failed or
// the connection is disconnected; any other state, in progress included, is not.
bool linkLost(std::optional<int> status);

// The free-account notice shown before a dial.
std::string freeAccountNotice(const std::string& appTitle, const std::string& linkMinutes);
std::string policyRefusalText(const std::string& linkMinutes, const std::string& waitMinutes);
