#include "core/vpn/phonebook_choice.h"

namespace {

// major.minor as a decimal number: minor 10 reads as .1, 90 as .9.
bool versionIs(const platform::OsVersion& v, unsigned major, unsigned minorDecimals)
{
    unsigned minor = v.minor;
    while (minor != 0 && minor % 10 == 0)
        minor /= 10;
    return v.major == major && minor == minorDecimals;
}

} // namespace

std::string windowsVersionName(const platform::OsVersion& v)
{
    using platform::OsVersion;
    switch (v.platformId) {
    case OsVersion::kWin32s:
        return "32";
    case OsVersion::kWindows9x:
        if (versionIs(v, 4, 0))
            return "95";
        if (versionIs(v, 4, 1))
            return "98";
        if (versionIs(v, 4, 9))
            return "Me";
        return "9x";
    case OsVersion::kWindowsNt:
        if (versionIs(v, 3, 51))
            return "NT 3.51";
        if (versionIs(v, 4, 0))
            return "NT 4.0";
        if (versionIs(v, 5, 0))
            return "2000";
        if (versionIs(v, 5, 1))
            return "XP";
        if (versionIs(v, 5, 2))
            return "2003";
        if (versionIs(v, 6, 0))
            return "Vista";
        if (versionIs(v, 6, 1))
            return "7";
        return "8";
    default:
        return "??";
    }
}

PhonebookChoice choosePhonebook(int mode, const std::string& versionName)
{
    if (mode != 2)
        return { "TUVEKP", "模式一", 1 };
    if (versionName == "Vista" || versionName == "7" || versionName == "8")
        return { "TUVEKL", "模式二", 2 };
    return { "TUVEKX", "模式2", 2 };
}
