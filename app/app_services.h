#pragma once

#include "account/http_client.h"
#include "app/message_boxes.h"
#include "platform/clock.h"
#include "platform/os_info.h"
#include "platform/process_launcher.h"
#include "platform/system_paths.h"
#include "platform/working_set.h"

// The operating-system services the windows use; the program passes the
// Linux ones, tests pass fakes.
struct AppServices {
    const platform::Clock& clock;
    const platform::SystemPaths& systemPaths;
    const platform::OsInfo& osInfo;
    platform::ProcessLauncher& launcher;
    HttpClient& http;
    MessageBoxes& messageBoxes;
};
