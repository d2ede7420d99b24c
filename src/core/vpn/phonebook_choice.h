#pragma once

#include <string>

#include "platform/os_info.h"

// Name of the Windows version for the phonebook choice; "??" for any other
// platform. The minor number is compared as the decimals after the point.
std::string windowsVersionName(const platform::OsVersion& version);

struct PhonebookChoice {
    std::string entryName; // "TUVEKP", "TUVEKL" or "TUVEKX"
    std::string modeLabel; // "模式一", "模式二" or "模式2"
    int storedMode; // 1 or 2
};

// Mode 2 picks the newer layout on Vista, 7 and 8; every other mode is mode 1.
PhonebookChoice choosePhonebook(int mode, const std::string& versionName);
