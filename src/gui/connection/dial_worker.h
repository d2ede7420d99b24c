#pragma once

#include "core/vpn/dial_procedure.h"

struct ClientContext;
class ConnectionController;

// Runs one dial attempt on a worker thread of the client. The window changes
// it makes reach the controller on the UI thread, in order; the full-relay
// question waits for the controller's answer. When the controller is gone
// the changes are dropped and the question has no answer, so nothing is
// routed. Nobody waits for the thread.
class DialWorker {
public:
    // Call on the UI thread. Throws std::system_error when no thread starts.
    static void start(ClientContext& ctx, ConnectionController* controller, DialRequest request);
};
