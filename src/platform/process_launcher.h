#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts other programs. Always from an argument vector: no text is ever
// handed to a shell.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts argv[0] (looked up on PATH when it has no "/") and does not wait.
    virtual bool startDetached(const std::vector<std::string>& argv) = 0;
    // Opens an address in the user's web browser; an empty address starts the
    // browser without one.
    virtual bool openUrl(const std::string& url) = 0;
};

} // namespace platform
