#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <thread>
#include <gtest/gtest.h>
#include <filesystem>
#include <memory>

#include "core/account/http_client.h"
#include "app/client_application.h"
#include "gui/main_window.h"
#include "tests/gui/start_up.h"
#include "gui/widgets/message_boxes.h"
#include "platform/gbk_codec.h"
#include "tests/support/connection_fakes.h"
#include "tests/support/fakes.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_dir.h"

class RecordingMessageBoxes : public MessageBoxes {
public:
    struct Box {
        std::string title, text;
    };
    void information(const std::string& title, const std::string& text) override
    {
        shown.push_back({ title, text });
    }
    std::vector<Box> shown;
};

// A main window over a temporary program directory, a temporary "system"
// temporary directory and a recording HTTP server standing in for the portal.
class MainWindowTest : public ::testing::Test {
protected:
    TempDir appDir;
    TempDir systemTemp;
    // The services are shared with the client, as its worker threads keep
    // them; the test reads and scripts them through these.
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    std::shared_ptr<FakeSystemPaths> systemPaths = std::make_shared<FakeSystemPaths>(systemTemp.path());
    std::shared_ptr<FakeOsInfo> osInfo = std::make_shared<FakeOsInfo>();
    std::shared_ptr<RecordingLauncher> launcher = std::make_shared<RecordingLauncher>();
    std::shared_ptr<RecordingMessageBoxes> boxes = std::make_shared<RecordingMessageBoxes>();
    std::shared_ptr<FakeRemoteAccess> remoteAccess = std::make_shared<FakeRemoteAccess>();
    std::shared_ptr<ScriptedCapture> capture = std::make_shared<ScriptedCapture>();
    std::shared_ptr<FakeAdapters> adapters = std::make_shared<FakeAdapters>();
    std::shared_ptr<RecordingRoutes> routes = std::make_shared<RecordingRoutes>();
    std::shared_ptr<FakeIcmp> icmp = std::make_shared<FakeIcmp>();
    AppServices services { clock, systemPaths, osInfo, launcher, std::make_shared<SocketHttpClient>(), boxes,
        remoteAccess, capture, adapters, routes, icmp };
    std::string announcement = "公告|http://portal/notice";
    int announcementStatus = 200;
    // Answers every portal request but the announcement; replies are UTF-8
    // here and go out as GBK.
    std::function<RecordingHttpServer::Reply(const std::string& target)> route;
    RecordingHttpServer portal { [this](const std::string& target) {
        if (target == "//gonggao.txt")
            return RecordingHttpServer::Reply { announcementStatus, platform::utf8ToGbk(announcement), {} };
        if (route) {
            auto r = route(target);
            r.body = platform::utf8ToGbk(r.body);
            return r;
        }
        return RecordingHttpServer::Reply { 404, "", {} };
    } };
    bool programEnded = false;
    std::unique_ptr<ClientApplication> client;

    // The event log goes to the current directory: give every test its own.
    std::filesystem::path previousDir = std::filesystem::current_path();
    MainWindowTest() { std::filesystem::current_path(appDir.path()); }
    ~MainWindowTest() override
    {
        stop();
        std::filesystem::current_path(previousDir);
    }

    // Waits for the client's worker threads while the UI thread takes what
    // they hand over.
    bool waitForWorkers(int ms = 10000)
    {
        for (int waited = 0; waited < ms; waited += 10) {
            if (client->workers().waitIdle(std::chrono::milliseconds(5)))
                return true;
            QTest::qWait(5);
        }
        return false;
    }

    // Ends the client and waits for its worker threads.
    void stop()
    {
        const WorkerThreads workers = client ? client->workers() : WorkerThreads();
        client.reset();
        EXPECT_TRUE(workers.waitIdle(std::chrono::seconds(10)));
    }

    ClientConfig config()
    {
        ClientConfig c;
        c.paths = AppPaths::forAppDir(appDir.path(), *systemPaths);
        c.portalBase = portal.base();
        c.contentBase = portal.base() + "content/";
        c.defaultServerIp = "127.0.0.1";
        return c;
    }

    void writeSettings(const std::string& utf8Text)
    {
        writeBytes(appDir.file("zvtad.INI"), platform::utf8ToGbk(utf8Text));
    }

    MainWindow& start(bool show = true)
    {
        stop();
        client = std::make_unique<ClientApplication>(config(), services);
        programEnded = false;
        QObject::connect(
            &client->mainWindow(), &MainWindow::programEndRequested, [this] { programEnded = true; });
        settleStartUp(client->mainWindow(), show);
        return client->mainWindow();
    }

    template <typename T = QWidget> T* w(const char* name)
    {
        T* found = client->mainWindow().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    std::string text(const char* name)
    {
        if (auto* l = client->mainWindow().findChild<QLabel*>(QString::fromLatin1(name)))
            return l->text().toStdString();
        if (auto* e = client->mainWindow().findChild<QLineEdit*>(QString::fromLatin1(name)))
            return e->text().toStdString();
        if (auto* b = client->mainWindow().findChild<QAbstractButton*>(QString::fromLatin1(name)))
            return b->text().toStdString();
        ADD_FAILURE() << "no control " << name;
        return {};
    }
    bool checked(const char* name) { return w<QCheckBox>(name)->isChecked(); }

    // Starts the client and logs in from the panel as a user does; the
    // portal's answer is the test's route.
    MainWindow& logInFromPanel()
    {
        MainWindow& mw = start();
        w<QLineEdit>("Username")->setText("demo");
        w<QLineEdit>("PassWord")->setText("pw");
        w<QAbstractButton>("BsLogin")->click();
        EXPECT_TRUE(w("Panel1")->isVisible());
        return mw;
    }
    // From now on every dial waits until release is set, then brings up
    // connection 5 of our entry: the Connecting state can be looked at.
    void holdDials(const std::atomic<bool>& release)
    {
        capture->onRun = [this, &release] {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            remoteAccess->replaceAll(5, "TUVEKP");
        };
    }
};
