#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Reversible cipher for the short texts the client keeps out of plain sight:
// single DES, block by block, zero padding, upper-case hex. Works on bytes.
namespace cipher {

// The one key every caller uses.
inline constexpr std::string_view kTextKey = "vqmr$%&";

std::string encryptRaw(std::string_view plain, std::string_view key);
std::string decryptRaw(std::string_view cipherBytes, std::string_view key);
std::string encryptToHex(std::string_view plain, std::string_view key);
std::string decryptFromHex(std::string_view hex, std::string_view key);
// Digits 0-9, A-F, a-f; any other character makes the whole value 0.
std::uint64_t parseHex(std::string_view digits);

// The same for UTF-8 text, enciphered as its GBK bytes under kTextKey.
std::string encryptText(std::string_view utf8);
std::string decryptText(std::string_view hex);

} // namespace cipher
