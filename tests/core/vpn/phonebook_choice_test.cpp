#include <gtest/gtest.h>

#include "core/vpn/phonebook_choice.h"

using platform::OsVersion;

TEST(WindowsVersionName, Table)
{
    struct Case {
        int platform;
        unsigned major, minor;
        const char* name;
    };
    const Case cases[] = {
        { OsVersion::kWin32s, 3, 11, "32" },
        { OsVersion::kWindows9x, 4, 0, "95" },
        { OsVersion::kWindows9x, 4, 10, "98" },
        { OsVersion::kWindows9x, 4, 1, "98" },
        { OsVersion::kWindows9x, 4, 90, "Me" },
        { OsVersion::kWindows9x, 4, 3, "9x" },
        { OsVersion::kWindowsNt, 3, 51, "NT 3.51" },
        { OsVersion::kWindowsNt, 4, 0, "NT 4.0" },
        { OsVersion::kWindowsNt, 5, 0, "2000" },
        { OsVersion::kWindowsNt, 5, 1, "XP" },
        { OsVersion::kWindowsNt, 5, 2, "2003" },
        { OsVersion::kWindowsNt, 6, 0, "Vista" },
        { OsVersion::kWindowsNt, 6, 1, "7" },
        { OsVersion::kWindowsNt, 6, 10, "7" },
        { OsVersion::kWindowsNt, 6, 2, "8" },
        { OsVersion::kWindowsNt, 6, 3, "8" },
        { OsVersion::kWindowsNt, 10, 0, "8" },
        { OsVersion::kOther, 6, 1, "??" },
        { 7, 5, 1, "??" },
    };
    for (const auto& c : cases) {
        const OsVersion v { c.platform, c.major, c.minor };
        EXPECT_EQ(windowsVersionName(v), c.name) << c.platform << " " << c.major << "." << c.minor;
    }
}

TEST(PhonebookChoice, ModeAndVersionPickTheEntry)
{
    for (int mode : { 0, 1, 3, -1 }) {
        const auto c = choosePhonebook(mode, "7");
        EXPECT_EQ(c.entryName, "TUVEKP");
        EXPECT_EQ(c.modeLabel, "模式一");
        EXPECT_EQ(c.storedMode, 1);
    }
    for (const char* v : { "Vista", "7", "8" }) {
        const auto c = choosePhonebook(2, v);
        EXPECT_EQ(c.entryName, "TUVEKL");
        EXPECT_EQ(c.modeLabel, "模式二");
    }
    for (const char* v : { "XP", "2003", "??", "98" }) {
        const auto c = choosePhonebook(2, v);
        EXPECT_EQ(c.entryName, "TUVEKX");
        EXPECT_EQ(c.modeLabel, "模式2");
        EXPECT_EQ(c.storedMode, 2);
    }
}
