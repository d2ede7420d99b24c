#pragma once

#include "platform/os_info.h"

namespace platform {

// Linux is "any other platform" to the version table.
class LinuxOsInfo final : public OsInfo {
public:
    OsVersion version() const override;
};

} // namespace platform
