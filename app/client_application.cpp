#include "app/client_application.h"

#include <QApplication>

#include "app/main_window.h"
#include "app/working_set_trimmer.h"
#include "content/ad_popup.h"
#include "nodes/node_chooser_dialog.h"
#include "platform/linux/flock_instance_lock.h"
#include "platform/linux/linux_os_info.h"
#include "platform/linux/linux_system_paths.h"
#include "platform/linux/malloc_trim_working_set.h"
#include "platform/linux/spawn_process_launcher.h"
#include "vpn/connection_mode_dialog.h"

ClientApplication::ClientApplication(const ClientConfig& config, AppServices& services)
    : nodeChoice_(config.defaultServerIp)
{
    mainWindow_ = std::make_unique<MainWindow>(config, services, session_, nodeChoice_);
    modeDialog_ = std::make_unique<ConnectionModeDialog>();
    adPopup_ = std::make_unique<AdPopup>();
    nodeChooser_ = std::make_unique<NodeChooserDialog>();
}

ClientApplication::~ClientApplication() = default;

int runClient()
{
    platform::MallocTrimWorkingSet workingSet;
    WorkingSetTrimmer trimmer(workingSet);
    trimmer.start();

    platform::LinuxSystemPaths systemPaths;
    platform::FlockInstanceLock instanceLock(systemPaths);
    if (!instanceLock.acquire("TUVEK"))
        return 0;

    platform::SystemClock clock;
    platform::LinuxOsInfo osInfo;
    platform::SpawnProcessLauncher launcher;
    CurlHttpClient http;
    QtMessageBoxes messageBoxes;
    AppServices services{clock, systemPaths, osInfo, launcher, http, messageBoxes};

    ClientConfig config;
    config.paths = AppPaths::fromProgram(systemPaths);

    QApplication::setQuitOnLastWindowClosed(false);
    ClientApplication client(config, services);
    QObject::connect(&client.mainWindow(), &MainWindow::programEndRequested, qApp, &QApplication::quit,
                     Qt::QueuedConnection);
    client.mainWindow().show();
    const int rc = QApplication::exec();
    trimmer.stop();
    return rc;
}
