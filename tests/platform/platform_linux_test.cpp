#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/flock_instance_lock.h"
#include "platform/linux/linux_system_paths.h"
#include "platform/linux/spawn_process_launcher.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

TEST(LinuxPlatform, InstanceLockIsExclusiveAcrossProcesses)
{
    TempDir dir;
    FakeSystemPaths paths(dir.path());
    platform::FlockInstanceLock first(paths);
    ASSERT_TRUE(first.acquire("TUVEK"));
    const pid_t child = fork();
    if (child == 0) {
        platform::FlockInstanceLock second(paths);
        _exit(second.acquire("TUVEK") ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the second process must not get the lock";
}

TEST(LinuxPlatform, ResolveShellPathAndTempDir)
{
    TempDir dir;
    writeBytes(dir.file("TUVEKP.sys"), "x");
    platform::LinuxSystemPaths paths;
    const std::string resolved = paths.resolveShellPath(dir.path() + "./TUVEKP.sys");
    EXPECT_EQ(resolved.front(), '/');
    EXPECT_EQ(resolved.substr(resolved.size() - 11), "/TUVEKP.sys");
    EXPECT_EQ(resolved.find("/./"), std::string::npos);
    EXPECT_EQ(paths.resolveShellPath(dir.file("missing.sys")), "");
    EXPECT_EQ(paths.resolveShellPath(""), "");
    EXPECT_EQ(paths.tempDir().back(), '/');
    EXPECT_NE(paths.programPath().find("platform_tests"), std::string::npos);
}

TEST(LinuxPlatform, StartsProgramsFromAnArgumentVectorWithoutAShell)
{
    TempDir dir;
    platform::SpawnProcessLauncher launcher;
    // Through a shell this would touch "a" and "b" and run "c"; as one
    // argument it is a single odd file name.
    const std::string name = dir.file("a b; c");
    ASSERT_TRUE(launcher.startDetached({ "touch", name }));
    for (int i = 0; i < 50 && !fileExists(name); ++i)
        usleep(20000);
    EXPECT_TRUE(fileExists(name));
    EXPECT_FALSE(fileExists(dir.file("a")));
    EXPECT_FALSE(launcher.startDetached({ "/nonexistent/program" }));
}

#include <cstring>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include "platform/linux/tun_device.h"

// Runs the body in a fresh network namespace on a child process, so nothing
// touches the machine's own interfaces.
TEST(LinuxPlatform, PersistentTunWithPppLinkType)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root for a network namespace";
    const pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNET) != 0)
            _exit(10);
        auto tun = platform::TunDevice::open("zvt%d", platform::TunDevice::kLinkPpp, true);
        if (!tun)
            _exit(11);
        if (!tun->configure("10.64.0.2", "10.64.0.1"))
            _exit(12);
        // /sys shows the namespace it was mounted in, so ask the kernel directly.
        const int sock = socket(AF_INET, SOCK_DGRAM, 0);
        ifreq ifr {};
        std::strncpy(ifr.ifr_name, tun->name().c_str(), IFNAMSIZ - 1);
        if (ioctl(sock, SIOCGIFHWADDR, &ifr) != 0 || ifr.ifr_hwaddr.sa_family != 512)
            _exit(13);
        close(sock);
        const std::string name = tun->name();
        tun.reset();
        if (if_nametoindex(name.c_str()) == 0)
            _exit(14); // persistent: outlives the descriptor
        if (!platform::TunDevice::removePersistent(name) || if_nametoindex(name.c_str()) != 0)
            _exit(15);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
