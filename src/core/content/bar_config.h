#pragma once

#include <string>
#include <string_view>

#include "base/ini_file.h"

// One entry of the button bar as "Button.ini" describes it.
struct BarEntryConfig {
    std::string caption;
    std::string normalImageUrl; // imageurl1
    std::string hoverImageUrl; // imageurl2
    std::string url;
};

// Reader of "Button.ini": "mainmemu"/"count" entries, each in "submenu" + i.
class BarConfig {
public:
    static constexpr const char* kFileName = "Button.ini";

    explicit BarConfig(std::string path)
        : ini_(std::move(path))
    {
    }

    bool exists() const { return ini_.exists(); }
    int count() const { return ini_.readInt("mainmemu", "count", 1); }
    // number counts from 1.
    BarEntryConfig entry(int number) const;

    // The text after the last "/" of an image address; empty when there is
    // none or the address ends in "/".
    static std::string imageFileName(std::string_view address);
    // A name that stays inside the image directory when appended to it: no
    // separator, no "..", no drive or stream colon, no control bytes.
    static bool isSafeImageName(std::string_view name);

private:
    IniFile ini_;
};
