#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/event_log.h"
#include "core/node_choice.h"
#include "core/vpn/dial_state.h"
#include "platform/network_adapters.h"
#include "platform/process_capture.h"
#include "platform/remote_access.h"
#include "platform/route_table.h"

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
    // Whether the full-relay box is ticked, asked once the tunnel is found.
    // Nothing when the window could not be asked (it is gone): no answer.
    virtual std::optional<bool> fullRelayChecked() = 0;
};

// Everything one dial reads, taken on the UI thread when it starts.
struct DialRequest {
    std::string dialTool = "rasdial";
    std::string appDir; // where the route tables are
    std::string entryName;
    std::string user;
    std::string password;
    std::string phonebookPath;
    std::string serverIp;
};

// The services a dial uses, kept alive for as long as it runs.
struct DialServices {
    std::shared_ptr<platform::ProcessCapture> capture;
    std::shared_ptr<platform::RemoteAccess> remoteAccess;
    std::shared_ptr<const platform::NetworkAdapters> adapters;
    std::shared_ptr<platform::RouteTable> routes;
};

// One dial attempt: runs the dial tool, judges its output, confirms the
// tunnel among the active connections, then routes it. Owns what it uses, so
// it may outlive the window that started it.
class DialProcedure {
public:
    DialProcedure(DialRequest request, DialServices services, std::shared_ptr<DialState> state,
        std::shared_ptr<const NodeChoice> nodeChoice, EventLog log, DialUi& ui);

    void run();

    // The dial tool's arguments: entry, user, "*" for the password,
    // phonebook, node; and what goes to its standard input: the password.
    static std::vector<std::string> commandLine(const DialRequest& request);
    static std::string passwordInput(const DialRequest& request);

    struct ErrorRow {
        const char* code;
        const char* message;
    };
    static const std::vector<ErrorRow>& errorTable();
    // Whether the tool's output (UTF-8) says the dial worked.
    static bool outputSaysConnected(std::string_view output);
    // The rows of the error numbers a failed dial's output names, in table order.
    static std::vector<const ErrorRow*> errorsIn(std::string_view output);

private:
    void confirmTunnel();
    void hangUpEntry();
    void judgeFailure(const std::string& output);

    DialRequest request_;
    DialServices services_;
    std::shared_ptr<DialState> state_;
    std::shared_ptr<const NodeChoice> nodeChoice_;
    EventLog log_;
    DialUi& ui_;
};
