#include "platform/linux/spawn_process_launcher.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/linux/argv_pointers.h"

extern char** environ;

namespace platform {

int spawnArgv(const std::vector<std::string>& argv)
{
    if (argv.empty() || argv[0].empty())
        return -1;
    std::vector<char*> args = argvPointers(argv);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

bool SpawnProcessLauncher::startDetached(const std::vector<std::string>& argv)
{
    const int pid = spawnArgv(argv);
    if (pid < 0)
        return false;
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

bool SpawnProcessLauncher::openUrl(const std::string& url)
{
    std::vector<std::string> argv { "xdg-open" };
    if (!url.empty())
        argv.push_back(url);
    return startDetached(argv);
}

} // namespace platform
