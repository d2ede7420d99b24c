#include "core/content/ad_config.h"

#include "core/content/ad_schedule.h"

std::vector<AdEntryConfig> AdConfig::entries() const
{
    std::vector<AdEntryConfig> out;
    const int m = ini_.readInt("adconfig", "count", 1);
    for (int j = 1; j <= m; ++j) {
        const std::string section = "ad" + std::to_string(j);
        out.push_back({ ini_.readString(section, "adtime"), ini_.readString(section, "url") });
        // An entry whose time is not a number never comes due and blocks all
        // later ones, so a huge count cannot keep us reading empty sections.
        std::int32_t t = 0;
        if (!AdSchedule::parseTime(out.back().adTime, t))
            break;
    }
    return out;
}
