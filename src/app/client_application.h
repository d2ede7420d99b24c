#pragma once

#include <memory>

#include "gui/app_services.h"
#include "core/client_config.h"
#include "core/node_choice.h"
#include "core/session.h"

class MainWindow;
class ConnectionModeDialog;
class AdPopup;
class NodeChooserDialog;

// The program's windows and shared state, created in their fixed order.
class ClientApplication {
public:
    ClientApplication(const ClientConfig& config, AppServices& services);
    ~ClientApplication();

    MainWindow& mainWindow() { return *mainWindow_; }
    ConnectionModeDialog& connectionModeDialog() { return *modeDialog_; }
    AdPopup& adPopup() { return *adPopup_; }
    NodeChooserDialog& nodeChooser() { return *nodeChooser_; }
    Session& session() { return session_; }
    NodeChoice& nodeChoice() { return nodeChoice_; }

private:
    Session session_;
    NodeChoice nodeChoice_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<ConnectionModeDialog> modeDialog_;
    std::unique_ptr<AdPopup> adPopup_;
    std::unique_ptr<NodeChooserDialog> nodeChooser_;
};

// Program entry after QApplication exists: trimmer, single instance, windows,
// event loop. Returns the exit status.
int runClient();
