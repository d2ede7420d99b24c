#pragma once

#include <QTest>

#include "gui/login/login_controller.h"
#include "gui/main_window.h"

// Shows the main window when asked and lets its start-up exchanges (the
// announcement, the saved login) run to their end, as a user waits for them.
inline void settleStartUp(MainWindow& window, bool show = true)
{
    if (show)
        window.show();
    for (int waited = 0; waited < 30000 && window.login().startUpPending(); waited += 5)
        QTest::qWait(5);
}
