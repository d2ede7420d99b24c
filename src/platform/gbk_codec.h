#pragma once

#include <string>
#include <string_view>

namespace platform {

// The client keeps text as UTF-8 inside and as GBK (code page 936) on disk and
// on the wire. Characters that cannot be converted become "?".
std::string utf8ToGbk(std::string_view utf8);
std::string gbkToUtf8(std::string_view gbk);

} // namespace platform
