#pragma once

#include "core/account/http_client.h"
#include "gui/widgets/message_boxes.h"
#include "platform/clock.h"
#include "platform/icmp_probe.h"
#include "platform/network_adapters.h"
#include "platform/os_info.h"
#include "platform/process_capture.h"
#include "platform/process_launcher.h"
#include "platform/remote_access.h"
#include "platform/route_table.h"
#include "platform/system_paths.h"

// The operating-system services the windows use; the program passes the
// Linux ones, tests pass their own. Dial workers use them from their threads,
// so the program keeps them alive until the process ends.
struct AppServices {
    const platform::Clock& clock;
    const platform::SystemPaths& systemPaths;
    const platform::OsInfo& osInfo;
    platform::ProcessLauncher& launcher;
    HttpClient& http;
    MessageBoxes& messageBoxes;
    platform::RemoteAccess& remoteAccess;
    platform::ProcessCapture& processCapture;
    const platform::NetworkAdapters& adapters;
    platform::RouteTable& routes;
    platform::IcmpProbe& icmp;
};
