#pragma once

#include "platform/system_paths.h"

namespace platform {

class LinuxSystemPaths final : public SystemPaths {
public:
    std::string tempDir() const override;
    std::string resolveShellPath(const std::string& path) const override;
    std::string programPath() const override;
    std::string runtimeDir() const override;
    std::string dataHome() const override;
};

} // namespace platform
