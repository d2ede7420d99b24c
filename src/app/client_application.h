#pragma once

#include <memory>

#include "gui/client_context.h"

class MainWindow;
class ConnectionModeDialog;
class AdPopup;
class NodeChooserDialog;

// The composition root: the client's shared state and its windows, created
// in their fixed order and wired together here.
class ClientApplication {
public:
    ClientApplication(ClientConfig config, AppServices services);
    ~ClientApplication();

    MainWindow& mainWindow() { return *mainWindow_; }
    // The two dialogs are made when first asked for: the main window shows
    // sooner without them.
    ConnectionModeDialog& connectionModeDialog();
    AdPopup& adPopup() { return *adPopup_; }
    NodeChooserDialog& nodeChooser();
    ClientContext& context() { return ctx_; }
    Session& session() { return ctx_.session; }
    NodeChoice& nodeChoice() { return *ctx_.nodeChoice; }
    DialState& dialState() { return *ctx_.dialState; }
    // A handle on the worker threads, valid after this object is gone.
    WorkerThreads workers() const { return ctx_.workers; }

private:
    ClientContext ctx_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<ConnectionModeDialog> modeDialog_;
    std::unique_ptr<AdPopup> adPopup_;
    std::unique_ptr<NodeChooserDialog> nodeChooser_;
};

// The operating system's services, one implementation per system.
AppServices makePlatformServices();

// Program entry after QApplication exists: trimmer, single instance, windows,
// event loop. Returns the exit status.
int runClient();
