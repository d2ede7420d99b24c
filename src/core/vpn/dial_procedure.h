#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/event_log.h"
#include "core/node_choice.h"
#include "core/session.h"
#include "platform/process_capture.h"
#include "platform/remote_access.h"

// The window changes a dial can make. The dial runs on its own thread; an
// implementation carries each change over to the UI thread, in call order.
class DialUi {
public:
    virtual ~DialUi() = default;
    // The connected state, in its fixed order, ending with the window hidden.
    virtual void applyConnected() = 0;
    // BConn enabled, the message in lblStatus and in the log.
    virtual void showDialFailure(const std::string& message) = 0;
    virtual void showAutoT() = 0;
    // Whether the full-relay box is ticked (asked once the tunnel is found).
    virtual bool fullRelayChecked() = 0;
};

// One dial attempt: runs the dial tool, judges its output, confirms the
// tunnel among the active connections, then routes it.
class DialProcedure {
public:
    struct Inputs {
        std::string dialTool = "rasdial";
        std::string appDir;
    };
    // Installs the routes of a line type; throws when the table is unreadable.
    using InstallRoutes = std::function<void(int lineType)>;

    DialProcedure(Inputs inputs, Session& session, NodeChoice& nodeChoice, platform::ProcessCapture& capture,
                  platform::RemoteAccess& remoteAccess, InstallRoutes installRoutes, const EventLog& log,
                  DialUi& ui);

    void run();

    // The dial tool's arguments: entry, user, password, phonebook, node.
    static std::vector<std::string> commandLine(const std::string& tool, const std::string& entry,
                                                const std::string& user, const std::string& password,
                                                const std::string& phonebookPath, const std::string& serverIp);

    struct ErrorRow {
        const char* code;
        const char* message;
    };
    static const std::vector<ErrorRow>& errorTable();

private:
    void confirmTunnel(const std::string& entryName, int lineType);
    void judgeFailure(const std::string& output);

    Inputs inputs_;
    Session& session_;
    NodeChoice& nodeChoice_;
    platform::ProcessCapture& capture_;
    platform::RemoteAccess& remoteAccess_;
    InstallRoutes installRoutes_;
    const EventLog& log_;
    DialUi& ui_;
};
