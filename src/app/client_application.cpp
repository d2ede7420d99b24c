#include "app/client_application.h"

#include <QApplication>
#include <QSessionManager>

#include "gui/main_window.h"
#include "gui/working_set_trimmer.h"
#include "gui/content/ad_popup.h"
#include "gui/nodes/node_chooser_dialog.h"
#include "platform/linux/connection_registry.h"
#include "platform/linux/flock_instance_lock.h"
#include "platform/linux/getifaddrs_network_adapters.h"
#include "platform/linux/netlink_route_table.h"
#include "platform/linux/posix_process_capture.h"
#include "platform/linux/registry_remote_access.h"
#include "platform/linux/socket_icmp_probe.h"
#include "platform/linux/linux_os_info.h"
#include "platform/linux/linux_system_paths.h"
#include "platform/linux/malloc_trim_working_set.h"
#include "platform/linux/spawn_process_launcher.h"
#include "gui/vpn/connection_mode_dialog.h"

ClientApplication::ClientApplication(const ClientConfig& config, AppServices& services)
    : nodeChoice_(config.defaultServerIp)
{
    mainWindow_ = std::make_unique<MainWindow>(config, services, session_, nodeChoice_);
    MainWindow* window = mainWindow_.get();
    modeDialog_ = std::make_unique<ConnectionModeDialog>([window] { return window->settings().mode(); },
                                                         [window](int mode) { window->applyConnectionMode(mode); });
    QObject::connect(window, &MainWindow::setLinkModeRequested, modeDialog_.get(), &QWidget::show);
    adPopup_ = std::make_unique<AdPopup>();
    window->setAdPopup(*adPopup_);
    NodeChooserDialog::MainWindowHooks hooks;
    hooks.fullRelayChecked = [window] { return window->fullRelayChecked(); };
    hooks.setFullRelay = [window](bool on) { window->setFullRelay(on); };
    hooks.showChosenNode = [window](const std::string& name) { window->showChosenNode(name); };
    nodeChooser_ = std::make_unique<NodeChooserDialog>(session_, nodeChoice_, window->settings(), services.icmp,
                                                       services.messageBoxes, config.paths.appDir, std::move(hooks));
    QObject::connect(window, &MainWindow::setLineRequested, nodeChooser_.get(), &QWidget::show);
}

ClientApplication::~ClientApplication() = default;

int runClient()
{
    platform::MallocTrimWorkingSet workingSet;
    WorkingSetTrimmer trimmer(workingSet);
    trimmer.start();

    static platform::LinuxSystemPaths systemPaths;
    platform::FlockInstanceLock instanceLock(systemPaths);
    if (!instanceLock.acquire("TUVEK"))
        return 0;

    // Dial threads use these until the process ends, and nobody waits for
    // them: they live as long as the process.
    auto* clock = new platform::SystemClock;
    auto* osInfo = new platform::LinuxOsInfo;
    auto* launcher = new platform::SpawnProcessLauncher;
    auto* http = new CurlHttpClient;
    auto* messageBoxes = new QtMessageBoxes;
    auto* remoteAccess = new platform::RegistryRemoteAccess(
        platform::ConnectionRegistry(platform::ConnectionRegistry::defaultDirectory(systemPaths)), *clock);
    auto* capture = new platform::PosixProcessCapture;
    auto* adapters = new platform::GetifaddrsNetworkAdapters;
    auto* routes = new platform::NetlinkRouteTable;
    auto* icmp = new platform::SocketIcmpProbe;
    AppServices services{*clock, systemPaths, *osInfo, *launcher, *http, *messageBoxes,
                         *remoteAccess, *capture, *adapters, *routes, *icmp};

    ClientConfig config;
    config.paths = AppPaths::fromProgram(systemPaths);

    QApplication::setQuitOnLastWindowClosed(false);
    ClientApplication client(config, services);
    QObject::connect(&client.mainWindow(), &MainWindow::programEndRequested, qApp, &QApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &client.mainWindow(),
                     [&client](QSessionManager&) { client.mainWindow().sessionEnding(); });
    client.mainWindow().show();
    const int rc = QApplication::exec();
    trimmer.stop();
    return rc;
}
