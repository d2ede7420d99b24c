#pragma once

#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "core/account/http_client.h"
#include "app/client_application.h"
#include "gui/main_window.h"
#include "platform/linux/connection_registry.h"
#include "platform/linux/posix_process_capture.h"
#include "tests/gui/main_window_fixture.h"
#include "tests/support/rasd_process.h"
#include "tools/service/reference_service.h"

// The client with every real service, against the reference service on this
// namespace's loopback. Node addresses live on lo, so the kernel answers
// their echoes; addresses that are nowhere stay silent.
class RoadTest : public ::testing::Test {
protected:
    TempDir appDir, systemTemp, runtime, serviceData;
    // Started first: the client attaches to it when its services are made.
    std::unique_ptr<RasdProcess> rasd = std::make_unique<RasdProcess>();
    std::unique_ptr<ReferenceService> service;
    std::shared_ptr<RecordingMessageBoxes> boxes = std::make_shared<RecordingMessageBoxes>();
    // The program's own Linux services, but for the message boxes.
    AppServices services;
    std::unique_ptr<ClientApplication> client;
    std::filesystem::path previousDir = std::filesystem::current_path();

    RoadTest();
    ~RoadTest() override;

    // The command lines of every process of the machine that hold text.
    static std::vector<std::string> processesShowing(const std::string& text);
    // The remote-access service's connection registry.
    platform::ConnectionRegistry registry() const { return rasd->registry(); }
    // The scenario of the next dials.
    void setScenario(const std::string& body);
    void writeSettings(const std::string& utf8);
    MainWindow& startClient();

    template <typename T = QWidget> T* w(const char* name)
    {
        T* found = client->mainWindow().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    std::string text(const char* name);
    // Runs the event loop until pred holds or the time is up.
    bool waitFor(const std::function<bool()>& pred, int ms);
    std::string log();
    // `ip -4 route show` lines through the given device.
    std::vector<std::string> routesVia(const std::string& device);
    std::string tunnelDevice();
};

std::string runCapture(const std::vector<std::string>& argv);
