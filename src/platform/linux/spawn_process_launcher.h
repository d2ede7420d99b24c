#pragma once

#include "platform/process_launcher.h"

namespace platform {

// posix_spawnp with an argument vector; children are reaped in the background
// so none is left as a zombie.
class SpawnProcessLauncher final : public ProcessLauncher {
public:
    bool startDetached(const std::vector<std::string>& argv) override;
    bool openUrl(const std::string& url) override;
};

// Spawns argv and returns its pid, or -1. Standard input is /dev/null.
int spawnArgv(const std::vector<std::string>& argv);

} // namespace platform
