#include "core/content/bar_config.h"

BarEntryConfig BarConfig::entry(int number) const
{
    const std::string section = "submenu" + std::to_string(number);
    BarEntryConfig e;
    e.caption = ini_.readString(section, "Caption");
    e.normalImageUrl = ini_.readString(section, "imageurl1");
    e.hoverImageUrl = ini_.readString(section, "imageurl2");
    e.url = ini_.readString(section, "url");
    return e;
}

std::string BarConfig::imageFileName(std::string_view address)
{
    const size_t slash = address.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    return std::string(address.substr(slash + 1));
}

bool BarConfig::isSafeImageName(std::string_view name)
{
    if (name.empty() || name == "." || name.find("..") != std::string_view::npos)
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7f)
            return false;
    }
    return true;
}
