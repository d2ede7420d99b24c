#include "app/client_application.h"

#include "gui/widgets/message_boxes.h"
#include "platform/linux/getifaddrs_network_adapters.h"
#include "platform/linux/linux_os_info.h"
#include "platform/linux/linux_system_paths.h"
#include "platform/linux/posix_process_capture.h"
#include "platform/linux/rasd_remote_access.h"
#include "platform/linux/socket_icmp_probe.h"
#include "platform/linux/spawn_process_launcher.h"

AppServices makePlatformServices()
{
    using namespace platform;
    auto paths = std::make_shared<LinuxSystemPaths>();
    auto clock = std::make_shared<SystemClock>();
    AppServices s;
    s.clock = clock;
    s.systemPaths = paths;
    s.osInfo = std::make_shared<LinuxOsInfo>();
    s.launcher = std::make_shared<SpawnProcessLauncher>();
    s.http = std::make_shared<SocketHttpClient>();
    s.messageBoxes = std::make_shared<QtMessageBoxes>();
    // Connections and routes are the remote-access service's: it does the
    // privileged work for this unprivileged program.
    auto rasd = std::make_shared<RasdSession>();
    rasd->open();
    s.remoteAccess = std::make_shared<RasdRemoteAccess>(rasd);
    s.processCapture = std::make_shared<PosixProcessCapture>();
    s.adapters = std::make_shared<GetifaddrsNetworkAdapters>();
    s.routes = std::make_shared<RasdRouteTable>(rasd);
    s.icmp = std::make_shared<SocketIcmpProbe>();
    return s;
}
