#pragma once

namespace platform {

// Platform family and version numbers as the operating system reports them.
// Family numbers follow the classic platform identifiers.
struct OsVersion {
    static constexpr int kWin32s = 0;
    static constexpr int kWindows9x = 1;
    static constexpr int kWindowsNt = 2;
    static constexpr int kOther = -1;

    int platformId = kOther;
    unsigned major = 0;
    unsigned minor = 0;
};

class OsInfo {
public:
    virtual ~OsInfo() = default;
    virtual OsVersion version() const = 0;
};

} // namespace platform
