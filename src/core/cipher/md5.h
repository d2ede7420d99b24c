#pragma once

#include <string>
#include <string_view>

namespace cipher {

// MD5 of the bytes, as 32 lower-case hex digits.
std::string md5Hex(std::string_view bytes);

} // namespace cipher
