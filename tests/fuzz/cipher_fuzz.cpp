#include "core/cipher/string_cipher.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = asText(data, size);
    (void)cipher::decryptText(text); // any hex text, valid or not
    // What is enciphered deciphers to itself: ASCII text (other bytes pass
    // through the system code page first).
    std::string plain;
    for (char c : text)
        if (c >= ' ' && c <= '~')
            plain.push_back(c);
    FUZZ_REQUIRE(cipher::decryptText(cipher::encryptText(plain)) == plain);
    return 0;
}
