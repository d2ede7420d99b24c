#include "core/vpn/exit_cleanup.h"

#include <cstdio>

void runExitCleanup(DialState& dial, const ExitCleanupTools& tools, const std::string& dialTool,
    const std::string& entryName, const std::string& tempDir)
{
    dial.ended = true;
    if (const auto handle = dial.connectionHandle.exchange(0))
        tools.remoteAccess.hangUp(handle);
    tools.capture.stopRunning();
    if (!entryName.empty())
        tools.launcher.startDetached({ dialTool, entryName, "/disconnect" });
    for (const char* name : { "TUVEKP.sys", "TUVEKL.sys", "TUVEKX.sys" })
        std::remove((tempDir + name).c_str());
}
