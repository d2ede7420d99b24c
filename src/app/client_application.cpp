#include "app/client_application.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

#include "base/atomic_file.h"
#include "gui/connection/connection_controller.h"
#include "gui/content/ad_popup.h"
#include "gui/content/content_controller.h"
#include "gui/main_window.h"
#include "gui/nodes/node_chooser_dialog.h"
#include "gui/qt_translations.h"
#include "gui/vpn/connection_mode_dialog.h"
#include "gui/working_set_trimmer.h"
#include "platform/linux/flock_instance_lock.h"
#include "platform/linux/linux_system_paths.h"
#include "platform/linux/malloc_trim_working_set.h"
#include "platform/linux/self_pipe_termination_signals.h"

ClientApplication::ClientApplication(ClientConfig config, AppServices services)
    : ctx_(std::move(config), std::move(services))
{
    // One client runs at a time: a temporary file in its folders is a write
    // that a kill cut short. In the shared temporary folder only ours go.
    const AppPaths& paths = ctx_.config.paths;
    removeStaleTempFiles(paths.appDir);
    removeStaleTempFiles(paths.resDir);
    removeStaleTempFiles(paths.tempDir, "TUVEK");

    mainWindow_ = std::make_unique<MainWindow>(ctx_);
    MainWindow& window = *mainWindow_;
    QObject::connect(
        &window, &MainWindow::setLinkModeRequested, &window, [this] { connectionModeDialog().show(); });
    adPopup_ = std::make_unique<AdPopup>();
    window.content().setAdPopup(*adPopup_);
    QObject::connect(&window, &MainWindow::setLineRequested, &window, [this] { nodeChooser().show(); });
}

ConnectionModeDialog& ClientApplication::connectionModeDialog()
{
    if (!modeDialog_)
        modeDialog_ = std::make_unique<ConnectionModeDialog>(ctx_, mainWindow_->phonebook());
    return *modeDialog_;
}

NodeChooserDialog& ClientApplication::nodeChooser()
{
    if (!nodeChooser_) {
        nodeChooser_ = std::make_unique<NodeChooserDialog>(ctx_, mainWindow_->phonebook());
        QObject::connect(nodeChooser_.get(), &NodeChooserDialog::nodeConfirmed, &mainWindow_->connection(),
            &ConnectionController::showChosenNode);
    }
    return *nodeChooser_;
}

ClientApplication::~ClientApplication()
{
    // Windows first: they refer to the shared state.
    nodeChooser_.reset();
    adPopup_.reset();
    modeDialog_.reset();
    mainWindow_.reset();
}

int runClient()
{
    platform::MallocTrimWorkingSet workingSet;
    WorkingSetTrimmer trimmer(workingSet);
    trimmer.start();

    // Ending the program by a signal runs the same path as the exit command.
    platform::SelfPipeTerminationSignals terminationSignals;
    AppServices services = makePlatformServices();
    platform::FlockInstanceLock instanceLock(*services.systemPaths);
    if (!instanceLock.acquire("TUVEK"))
        return 0;

    ClientConfig config;
    config.paths = AppPaths::fromProgram(*services.systemPaths);
    // An installed program works in the user's folder, so the log it keeps
    // in its working directory lands beside its settings.
    if (config.paths.installed() && chdir(config.paths.appDir.c_str()) != 0)
        std::perror("zavtrel: working folder");

    QApplication::setQuitOnLastWindowClosed(false);
    const auto qtTranslations = installQtTranslations();
    ClientApplication client(std::move(config), std::move(services));
    MainWindow& window = client.mainWindow();
    // Every end of the program ends the event loop, whatever windows show.
    QObject::connect(
        &window, &MainWindow::programEndRequested, qApp, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    QSocketNotifier terminations(terminationSignals.fd(), QSocketNotifier::Read);
    QObject::connect(&terminations, &QSocketNotifier::activated, &window, [&terminationSignals, &window] {
        terminationSignals.acknowledge();
        window.terminationRequested();
    });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window,
        [&window](QSessionManager&) { window.sessionEnding(); });
    window.show();
    const int rc = QApplication::exec();
    trimmer.stop();
    return rc;
}
