#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

#include "core/vpn/dial_procedure.h"

// Runs one dial attempt on a thread of its own. The window changes it asks for
// are queued to the UI thread in order; the full-relay question waits for the
// UI thread's answer. Nobody waits for the thread.
class DialWorker {
public:
    struct WindowHooks {
        std::function<void()> applyConnected;
        std::function<void(const std::string&)> showDialFailure;
        std::function<void()> showAutoT;
        std::function<bool()> fullRelayChecked;
    };
    using ProcedureFactory = std::function<std::unique_ptr<DialProcedure>(DialUi& ui)>;

    // window: the UI-thread object the hooks belong to; a hook that arrives
    // after it is gone is dropped.
    static void start(QObject* window, WindowHooks hooks, const ProcedureFactory& makeProcedure);

    // Dial threads still running (tests wait for them).
    static int running();

private:
    static std::atomic<int> running_;
};
