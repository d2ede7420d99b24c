#include "core/cipher/md5.h"

#include <nettle/md5.h>

namespace cipher {

std::string md5Hex(std::string_view bytes)
{
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&ctx, sizeof digest, digest);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t b : digest) {
        hex.push_back(kDigits[b >> 4]);
        hex.push_back(kDigits[b & 0x0F]);
    }
    return hex;
}

} // namespace cipher
