#pragma once

#include <memory>

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

// The operating-system services the client uses; the program passes the
// Linux ones, tests pass their own. Shared: a worker thread keeps the services
// it uses alive for as long as it runs.
struct AppServices {
    std::shared_ptr<const platform::Clock> clock;
    std::shared_ptr<const platform::SystemPaths> systemPaths;
    std::shared_ptr<const platform::OsInfo> osInfo;
    std::shared_ptr<platform::ProcessLauncher> launcher;
    std::shared_ptr<HttpClient> http;
    std::shared_ptr<MessageBoxes> messageBoxes; // UI thread only
    std::shared_ptr<platform::RemoteAccess> remoteAccess;
    std::shared_ptr<platform::ProcessCapture> processCapture;
    std::shared_ptr<const platform::NetworkAdapters> adapters;
    std::shared_ptr<platform::RouteTable> routes;
    std::shared_ptr<platform::IcmpProbe> icmp;
};
