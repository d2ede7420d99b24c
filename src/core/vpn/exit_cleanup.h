#pragma once

#include <string>

#include "core/vpn/dial_state.h"
#include "platform/process_capture.h"
#include "platform/process_launcher.h"
#include "platform/remote_access.h"

struct ExitCleanupTools {
    platform::RemoteAccess& remoteAccess;
    platform::ProcessLauncher& launcher;
    platform::ProcessCapture& capture;
};

// What ending the program leaves behind: nothing. Hangs up the tunnel, stops
// a dial tool that is still dialing, has the dial tool take the entry down
// (not waited for) and removes the three phonebook files from tempDir. From
// here on a dial that completes neither shows nor routes anything. Failures
// are not reported.
void runExitCleanup(DialState& dial, const ExitCleanupTools& tools, const std::string& dialTool,
    const std::string& entryName, const std::string& tempDir);
