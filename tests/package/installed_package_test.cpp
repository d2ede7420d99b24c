// The installed package as a user meets it: the service started by hand as
// root (no systemd here), the client from /usr/bin as an unprivileged member
// of the group "zavtrel" against the reference service, driven from outside
// under Xvfb. Run by run_installed_test.sh, which installs the package first
// and purges it afterwards.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <grp.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/linux/connection_registry.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_session.h"

using namespace std::chrono_literals;

namespace {

constexpr int kUser = 64124;

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds within)
{
    const auto end = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return done();
}

// The user's connection as the service keeps it: "" for none.
std::string connectionState()
{
    const auto records = platform::ConnectionRegistry("/run/zavtrel/registry/").list();
    if (!records)
        return "unreadable";
    for (const auto& r : *records)
        if (r.ownerUid == kUser)
            return r.state == platform::ConnectionRecord::State::Connected ? "connected" : "dialing";
    return "";
}

} // namespace

TEST(InstalledPackage, AMemberOfTheGroupLogsInConnectsDisconnectsAndExits)
{
    if (!std::getenv("ZAVTREL_INSTALLED_TEST") || geteuid() != 0)
        GTEST_SKIP() << "runs under tests/package/run_installed_test.sh";
    const group* g = getgrnam("zavtrel");
    ASSERT_NE(g, nullptr) << "the package made the group";

    TempDir dir;
    chmod(dir.path().c_str(), 0755);
    const std::string home = dir.file("home/");
    std::filesystem::create_directories(home);
    chown(home.c_str(), kUser, kUser);
    chmod(home.c_str(), 0700);
    writeBytes(dir.file("rasd.ini"), "[backend]\r\nname=simulate\r\nscenario=scenario.ini\r\n");
    writeBytes(dir.file("scenario.ini"), "[scenario]\r\nresult=success\r\n");
    ChildProcess rasd(
        { "/usr/sbin/zavtrel-rasd", "--config", dir.file("rasd.ini") }, {}, dir.file("rasd.log"));
    ASSERT_TRUE(waitUntil([] { return fileExists("/run/zavtrel/rasd.sock"); }, 10s))
        << readBytes(dir.file("rasd.log"));
    ChildProcess service({ std::string(ZAVTREL_BIN_DIR) + "/zavtrel-service", "--data",
                             std::string(ZAVTREL_BIN_DIR) + "/service-data", "--port", "18080" },
        {}, dir.file("service.log"));
    XSession x(true, false);
    ASSERT_TRUE(x.ready());

    std::map<std::string, std::string> env = x.env();
    env["HOME"] = home;
    env["XDG_RUNTIME_DIR"] = home;
    env["TMPDIR"] = home;
    env["QTWEBENGINE_DISABLE_SANDBOX"] = "1";
    ChildProcess client({ "setpriv", "--reuid=" + std::to_string(kUser), "--regid=" + std::to_string(kUser),
                            "--groups=" + std::to_string(g->gr_gid), "--", "/usr/bin/zavtrel" },
        env, dir.file("client.log"), home);
    std::string window = x.waitForWindow(client.pid(), "V2.9", 20s);
    ASSERT_FALSE(window.empty()) << readBytes(dir.file("client.log"));

    // Log in.
    x.type("demo");
    x.key("Tab");
    x.type("demo123");
    x.key("Return");
    const std::string appDir = home + ".local/share/zavtrel/";

    // Connect and disconnect with the window's button (连接, then 断开); its
    // place in the window is fixed.
    const auto connectButton = [&] {
        // Connected, the window minimises itself: bring it back first.
        std::istringstream ids(
            x.run({ "xdotool", "search", "--pid", std::to_string(client.pid()), "--name", "V2.9" }).output);
        for (std::string id; std::getline(ids, id);)
            x.run({ "xdotool", "windowactivate", id });
        window = x.waitForWindow(client.pid(), "V2.9", 5s);
        std::this_thread::sleep_for(500ms);
        x.clickInWindow(window, 142, 492);
    };
    // The login has come through once the news window shows beside the main one.
    ASSERT_TRUE(waitUntil([&] { return x.windows(client.pid()).size() >= 2; }, 20s));
    std::this_thread::sleep_for(1s);
    connectButton();

    ASSERT_TRUE(waitUntil([] { return connectionState() == "connected"; }, 20s))
        << readBytes(dir.file("rasd.log")) << readBytes(appDir + "log.txt");
    std::this_thread::sleep_for(1s);
    connectButton();
    EXPECT_TRUE(waitUntil([] { return connectionState().empty(); }, 15s)) << connectionState();
    // Without a notification area closing the window is the exit.
    window = x.waitForWindow(client.pid(), "V2.9", 5s);
    x.closeWindow(window);
    ASSERT_TRUE(client.waitExit(15s).has_value()) << "exit ends the program";

    // Where its files went: the user's data folder, the program's folder untouched.
    struct stat st { };
    ASSERT_EQ(stat(appDir.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, static_cast<uid_t>(kUser));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_NE(readBytes(appDir + "zvtad.INI").find("User="), std::string::npos) << "the login's choices";
    for (const char* f : { "zvtad.INI", "log.txt", "res/tuvekb.bmp" })
        EXPECT_TRUE(fileExists(appDir + f)) << f;
    EXPECT_FALSE(fileExists(home + "log.txt"));
    for (const auto& e : std::filesystem::recursive_directory_iterator("/usr/lib/zavtrel")) {
        const std::string name = e.path().filename();
        EXPECT_TRUE(name != "zvtad.INI" && name != "log.txt" && name != "Button.ini") << e.path();
    }
}
