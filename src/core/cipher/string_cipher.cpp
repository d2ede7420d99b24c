#include "core/cipher/string_cipher.h"

#include <array>
#include <nettle/des.h>

#include "platform/gbk_codec.h"

namespace cipher {
namespace {

// First 8 bytes of the key text, zero-extended. nettle's key schedule ignores
// the parity bits, and a weak key still gets its schedule.
des_ctx makeContext(std::string_view key)
{
    std::array<uint8_t, DES_KEY_SIZE> k {};
    for (size_t i = 0; i < k.size() && i < key.size(); ++i)
        k[i] = static_cast<uint8_t>(key[i]);
    des_ctx ctx;
    des_set_key(&ctx, k.data());
    return ctx;
}

} // namespace

std::string encryptRaw(std::string_view plain, std::string_view key)
{
    if (!plain.empty() && plain.back() == '\0')
        return {};
    std::string buf(plain);
    buf.resize((buf.size() + DES_BLOCK_SIZE - 1) / DES_BLOCK_SIZE * DES_BLOCK_SIZE, '\0');
    const des_ctx ctx = makeContext(key);
    auto* p = reinterpret_cast<uint8_t*>(buf.data());
    des_encrypt(&ctx, buf.size(), p, p);
    return buf;
}

std::string decryptRaw(std::string_view cipherBytes, std::string_view key)
{
    std::string buf(cipherBytes.substr(0, cipherBytes.size() / DES_BLOCK_SIZE * DES_BLOCK_SIZE));
    const des_ctx ctx = makeContext(key);
    auto* p = reinterpret_cast<uint8_t*>(buf.data());
    des_decrypt(&ctx, buf.size(), p, p);
    while (!buf.empty() && buf.back() == '\0')
        buf.pop_back();
    return buf;
}

std::string encryptToHex(std::string_view plain, std::string_view key)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::string raw = encryptRaw(plain, key);
    std::string hex;
    hex.reserve(raw.size() * 2);
    for (unsigned char c : raw) {
        hex.push_back(kDigits[c >> 4]);
        hex.push_back(kDigits[c & 0x0F]);
    }
    return hex;
}

std::uint64_t parseHex(std::string_view digits)
{
    std::uint64_t value = 0;
    for (char c : digits) {
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else
            return 0;
        value = value * 16 + d;
    }
    return value;
}

std::string decryptFromHex(std::string_view hex, std::string_view key)
{
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(parseHex(hex.substr(i, 2)) & 0xFF));
    return decryptRaw(bytes, key);
}

std::string encryptText(std::string_view utf8)
{
    return encryptToHex(platform::utf8ToGbk(utf8), kTextKey);
}

std::string decryptText(std::string_view hex)
{
    return platform::gbkToUtf8(decryptFromHex(hex, kTextKey));
}

} // namespace cipher
