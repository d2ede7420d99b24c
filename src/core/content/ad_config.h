#pragma once

#include <string>
#include <vector>

#include "base/ini_file.h"

struct AdEntryConfig {
    std::string adTime; // seconds as decimal text; anything else never comes due
    std::string url; // the movie to show
};

// Reader of "adconfig.ini": the advertisement schedule ("adconfig"/"count"
// entries, each in "ad" + j) and the customer-service contact address.
class AdConfig {
public:
    static constexpr const char* kFileName = "adconfig.ini";

    explicit AdConfig(std::string path)
        : ini_(std::move(path))
    {
    }

    // count() entries in file order; none when count is 0 or less.
    std::vector<AdEntryConfig> entries() const;
    std::string contactUrl() const { return ini_.readString("Qqurl", "Webqqurl"); }

private:
    IniFile ini_;
};
