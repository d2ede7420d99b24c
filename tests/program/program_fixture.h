#pragma once

#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/http_fixture.h"
#include "tests/support/rasd_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_session.h"

// The built client as a user runs it: a copy of the program folder of its
// own, an X display of its own with a window manager (and a notification
// area when asked), a portal on the address the client was built with, and
// the real dial tool and remote-access service. Runs as root inside a network namespace of its own
// (tests/support/run_in_netns.sh), so the portal's port is free and a
// simulated tunnel touches nothing of the machine.
class ProgramTest : public ::testing::Test {
protected:
    TempDir appDir; // the program folder: the program, its images, its settings
    TempDir runtime; // XDG_RUNTIME_DIR: single-instance lock, connection registry
    TempDir temp; // TMPDIR: the phonebook files
    std::unique_ptr<XSession> x;
    // The portal's answers by request target; 404 for the rest.
    std::function<RecordingHttpServer::Reply(const std::string&)> route;
    std::unique_ptr<RecordingHttpServer> portal;
    std::unique_ptr<ChildProcess> client;
    std::unique_ptr<RasdProcess> rasd;

    void SetUp() override;
    void TearDown() override;

    void startX(bool notificationArea);
    // The browser engine module and the Flash player's files beside the program.
    void addWebEngine();
    // Starts the client and waits for its main window; the window's id.
    std::string startClient();
    std::map<std::string, std::string> clientEnv() const;
    // Saved credentials with automatic login (and automatic connection).
    void saveLogin(const std::string& user, const std::string& password, bool autoConnect = false);
    // The simulated tunnel for the dials of this test.
    void useSimulatedDials();
    // Opens the icon's menu: from the notification area, or else from the
    // main window's menu button.
    void openMenu(const std::string& window, bool notificationArea);
    // Types the user name and password into the login panel and presses Enter.
    void logIn(const std::string& user, const std::string& password);
    int requestsTo(const std::string& prefix) const;
    bool ends(std::chrono::milliseconds within);
    std::string registryDir() const { return RasdProcess::kRegistry; }
    // Processes of the service's (link holders, dials) other than itself.
    int serviceChildren() const;
};

// A login reply of the reference form with the items that decide.
std::string loginReply(
    const std::string& state, const std::string& version = "2.9", const std::string& days = "30");
