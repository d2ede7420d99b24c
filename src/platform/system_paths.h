#pragma once

#include <string>

namespace platform {

// Directories and path resolution of the operating system.
class SystemPaths {
public:
    virtual ~SystemPaths() = default;
    // The user's temporary directory with a trailing separator; empty if unknown.
    virtual std::string tempDir() const = 0;
    // Full, canonical path of an existing file or directory; empty otherwise.
    virtual std::string resolveShellPath(const std::string& path) const = 0;
    // Full path of the running program file.
    virtual std::string programPath() const = 0;
    // Per-session runtime directory (lock files, connection registry), with a
    // trailing separator.
    virtual std::string runtimeDir() const = 0;
    // The user's data directory ($XDG_DATA_HOME, else ~/.local/share/), with a
    // trailing separator; empty if unknown.
    virtual std::string dataHome() const = 0;
};

} // namespace platform
