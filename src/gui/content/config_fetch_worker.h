#pragma once

#include <functional>

#include "core/content/config_fetch_run.h"

class AdSchedule;
class ButtonBar;
class EventLog;
class Settings;
class WorkerThreads;
struct Session;

// The configuration fetch after a login: one run on a worker thread of the
// client that is never waited for. The thread downloads and reads the files; every change
// to the bar, the schedule, the contact address, the title and the settings
// file is handed to the UI thread, in order, and waited for. When the bar
// goes away the run ends at its next hand-over.
class ConfigFetchWorker {
public:
    struct Targets {
        ButtonBar& bar;
        AdSchedule& schedule;
        Session& session;
        const Settings& settings;
        const EventLog& log;
    };

    // Call on the UI thread; returns at once. finished, when given, runs on
    // the UI thread after the run, whatever its outcome.
    static void start(WorkerThreads& workers, ConfigFetchJob job, const Targets& targets,
        std::function<void()> finished = {});
};
