// zavtrel-rasd: the remote-access service. Runs as root; callers reach it
// through a local socket that members of its group may open.

#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <string>
#include <unistd.h>

#include "base/ini_file.h"
#include "tools/rasd/rasd_service.h"

namespace {

void usage()
{
    std::fputs("usage: zavtrel-rasd [--socket PATH] [--group NAME|GID] [--config PATH]\n"
               "                    [--registry DIR] [--orphan-grace SECONDS]\n",
        stderr);
}

std::optional<gid_t> groupId(const std::string& name)
{
    std::int32_t n = 0;
    if (parseDecimalInt(name, n) && n >= 0)
        return static_cast<gid_t>(n);
    if (const group* g = getgrnam(name.c_str()))
        return g->gr_gid;
    return std::nullopt;
}

// A socket handed over by the service manager (its socket unit).
int inheritedSocket()
{
    const char* pid = std::getenv("LISTEN_PID");
    const char* fds = std::getenv("LISTEN_FDS");
    if (!pid || !fds || std::atoi(pid) != getpid() || std::atoi(fds) < 1)
        return -1;
    return 3;
}

} // namespace

int main(int argc, char** argv)
{
    ServiceOptions options;
    std::string groupName = "zavtrel";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            usage();
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--socket") {
            options.socketPath = value;
        } else if (arg == "--group") {
            groupName = value;
        } else if (arg == "--config") {
            options.configPath = value;
        } else if (arg == "--registry") {
            options.registryDir = value.empty() || value.back() == '/' ? value : value + "/";
        } else if (arg == "--orphan-grace") {
            std::int32_t seconds = 0;
            if (!parseDecimalInt(value, seconds) || seconds < 0) {
                usage();
                return 2;
            }
            options.orphanGrace = std::chrono::seconds(seconds);
        } else {
            usage();
            return 2;
        }
    }
    if (geteuid() != 0) {
        std::fputs("zavtrel-rasd: must run as root\n", stderr);
        return 1;
    }
    options.group = groupId(groupName);
    if (!options.group)
        std::fprintf(stderr, "zavtrel-rasd: no group %s: only root may call\n", groupName.c_str());
    options.inheritedSocket = inheritedSocket();
    unsetenv("LISTEN_PID");
    unsetenv("LISTEN_FDS");
    return Service(options).run();
}
