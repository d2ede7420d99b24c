#include "tests/support/namespace_scope.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Mounts left by a test process that died before its clean-up.
void removeLeftovers()
{
    DIR* d = opendir("/tmp");
    if (!d)
        return;
    const std::string prefix = "zavtrel-sysfs-";
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const int pid = std::atoi(name.c_str() + prefix.size());
        if (pid <= 0 || kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        const std::string path = "/tmp/" + name;
        umount2(path.c_str(), MNT_DETACH);
        rmdir(path.c_str());
    }
    closedir(d);
}

} // namespace

NamespaceScope::NamespaceScope()
{
    original_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (original_ < 0) {
        error_ = std::string("open own namespace: ") + std::strerror(errno);
        return;
    }
    if (unshare(CLONE_NEWNET) != 0) {
        error_ = std::string("unshare: ") + std::strerror(errno);
        return;
    }
    removeLeftovers();
    std::string pattern = "/tmp/zavtrel-sysfs-" + std::to_string(getpid()) + "-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        error_ = std::string("mkdtemp: ") + std::strerror(errno);
        return;
    }
    sysfs_ = pattern;
    if (mount("sysfs", sysfs_.c_str(), "sysfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0) {
        error_ = std::string("mount sysfs: ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
    ok_ = true;
}

NamespaceScope::~NamespaceScope()
{
    if (mounted_)
        umount2(sysfs_.c_str(), MNT_DETACH);
    if (!sysfs_.empty())
        rmdir(sysfs_.c_str());
    if (original_ >= 0) {
        setns(original_, CLONE_NEWNET);
        close(original_);
    }
}
