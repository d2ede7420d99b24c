#include "tests/program/program_fixture.h"

#include <filesystem>
#include <thread>
#include <unistd.h>

#include "core/cipher/string_cipher.h"
#include "platform/gbk_codec.h"

namespace {

// The port of the portal the client was built with.
int portalPort()
{
    const std::string base = ZAVTREL_PORTAL_BASE;
    const size_t colon = base.rfind(':');
    return colon == std::string::npos ? 80 : std::atoi(base.c_str() + colon + 1);
}

} // namespace

std::string loginReply(const std::string& state, const std::string& version, const std::string& days)
{
    return "ok!|10.0.0.5|1.00|" + days + "|" + state + "|" + version + "|0|1||0|t||480|320|0|";
}

void ProgramTest::SetUp()
{
    if (const std::string why = RasdProcess::unavailable(); !why.empty())
        GTEST_SKIP() << why;
    rasd = std::make_unique<RasdProcess>();
    ASSERT_TRUE(rasd->ok()) << rasd->log();
    namespace fs = std::filesystem;
    const std::string bin = ZAVTREL_BIN_DIR;
    fs::copy_file(bin + "/zavtrel", appDir.file("zavtrel"));
    fs::copy(bin + "/res", appDir.path() + "res", fs::copy_options::recursive);
    chmod(runtime.path().c_str(), 0700);
    portal = std::make_unique<RecordingHttpServer>(
        [this](const std::string& target) {
            if (route)
                return route(target);
            return RecordingHttpServer::Reply { 404, "", {} };
        },
        portalPort());
}

void ProgramTest::TearDown()
{
    client.reset();
    // What a dial left: the service takes it down when it stops.
    rasd.reset();
    x.reset();
}

void ProgramTest::startX(bool notificationArea)
{
    x = std::make_unique<XSession>(true, notificationArea);
    ASSERT_TRUE(x->ready());
}

void ProgramTest::addWebEngine()
{
    namespace fs = std::filesystem;
    const std::string bin = ZAVTREL_BIN_DIR;
    fs::copy_file(bin + "/zavtrel_web.so", appDir.file("zavtrel_web.so"));
    fs::copy(bin + "/ruffle", appDir.path() + "ruffle", fs::copy_options::recursive);
}

std::map<std::string, std::string> ProgramTest::clientEnv() const
{
    std::map<std::string, std::string> env = x ? x->env() : std::map<std::string, std::string> {};
    env["XDG_RUNTIME_DIR"] = runtime.path();
    env["TMPDIR"] = temp.path();
    env["PATH"] = std::string(ZAVTREL_BIN_DIR) + ":" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
    env["QTWEBENGINE_DISABLE_SANDBOX"] = "1";
    return env;
}

std::string ProgramTest::startClient()
{
    // Started in its folder, as a desktop launch does: the log goes there.
    client = std::make_unique<ChildProcess>(std::vector<std::string> { appDir.file("zavtrel") }, clientEnv(),
        appDir.file("client-output.txt"), appDir.path());
    return x->waitForWindow(client->pid(), "V2.9", std::chrono::seconds(15));
}

void ProgramTest::saveLogin(const std::string& user, const std::string& password, bool autoConnect)
{
    writeBytes(appDir.file("zvtad.INI"),
        "[Main]\r\nUser=" + cipher::encryptText(user) + "\r\nPass=" + cipher::encryptText(password)
            + "\r\nSaveInfo=1\r\nSavePwd=1\r\nSaveLogin=1\r\nAutoConn=" + (autoConnect ? "1" : "0") + "\r\n");
}

void ProgramTest::useSimulatedDials()
{
    rasd->useSimulate();
}

void ProgramTest::openMenu(const std::string& window, bool notificationArea)
{
    if (notificationArea) {
        x->rightClickTrayIcon();
    } else {
        x->clickInWindow(window, 12, 12); // the menu button in the top left corner
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
}

void ProgramTest::logIn(const std::string& user, const std::string& password)
{
    x->type(user);
    x->key("Tab");
    x->type(password);
    x->key("Return");
}

int ProgramTest::requestsTo(const std::string& prefix) const
{
    int n = 0;
    for (const auto& head : portal->requests())
        n += head.rfind("GET " + prefix, 0) == 0;
    return n;
}

bool ProgramTest::ends(std::chrono::milliseconds within)
{
    return client->waitExit(within).has_value();
}

int ProgramTest::serviceChildren() const
{
    // They are forks of the service: its command line, another pid.
    const std::string mark = rasd->configPath();
    const std::string self = std::to_string(rasd->pid());
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc"))
        n += e.path().filename() != self
            && readBytes(e.path().string() + "/cmdline").find(mark) != std::string::npos;
    return n;
}
