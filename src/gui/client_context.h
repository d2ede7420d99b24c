#pragma once

#include <memory>

#include "base/event_log.h"
#include "base/settings.h"
#include "base/worker_threads.h"
#include "core/client_config.h"
#include "core/node_choice.h"
#include "core/session.h"
#include "core/vpn/dial_state.h"
#include "gui/app_services.h"

// The state of one client, owned by the composition root and passed by
// reference to every window and controller. What worker threads touch is
// shared (node choice, dial state, log, services), so a worker that outlives
// the windows still holds it.
struct ClientContext {
    ClientContext(ClientConfig c, AppServices s)
        : config(std::move(c))
        , services(std::move(s))
        , nodeChoice(std::make_shared<NodeChoice>(config.defaultServerIp))
        , settings(config.paths.appDir)
        , log(services.clock)
    {
    }

    const ClientConfig config;
    const AppServices services;
    Session session;
    const std::shared_ptr<NodeChoice> nodeChoice;
    const std::shared_ptr<DialState> dialState = std::make_shared<DialState>();
    const Settings settings;
    const EventLog log;
    WorkerThreads workers;
};

// "Unable to write to <path>" in the program's message box.
inline void reportWriteError(const ClientContext& ctx, const IniWriteError& e)
{
    ctx.services.messageBoxes->information(ctx.session.appTitle, e.what());
}
