#include "tests/support/child_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& extra)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!extra.count(entry.substr(0, entry.find('='))))
            env.push_back(entry);
    }
    for (const auto& [k, v] : extra)
        env.push_back(k + "=" + v);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (auto& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

int spawn(std::vector<std::string> argv, const std::map<std::string, std::string>& extraEnv, int stdoutFd,
    const std::string& workingDir = {})
{
    std::vector<std::string> env = environmentWith(extraEnv);
    auto args = pointers(argv);
    auto envp = pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDERR_FILENO);
    if (!workingDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    // Its own process group, so that what it starts can be ended with it.
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int decode(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
    const std::map<std::string, std::string>& env, const std::string& outputFile,
    const std::string& workingDir)
{
    const int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    pid_ = spawn(argv, env, out, workingDir);
    if (out >= 0)
        close(out);
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0 && !status_) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        waitExit(std::chrono::seconds(5));
    }
}

bool ChildProcess::running()
{
    return pid_ > 0 && !waitExit(std::chrono::milliseconds(0));
}

std::optional<int> ChildProcess::waitExit(std::chrono::milliseconds timeout)
{
    if (status_ || pid_ <= 0)
        return status_;
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            status_ = decode(status);
            return status_;
        }
        if (std::chrono::steady_clock::now() >= end)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void ChildProcess::signal(int sig)
{
    if (pid_ > 0 && !status_)
        kill(pid_, sig);
}

CommandResult runCommand(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
    std::chrono::milliseconds timeout)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return {};
    const int pid = spawn(argv, env, fds[1]);
    close(fds[1]);
    CommandResult result;
    if (pid < 0) {
        close(fds[0]);
        return result;
    }
    const auto end = std::chrono::steady_clock::now() + timeout;
    char buf[4096];
    for (;;) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd p { fds[0], POLLIN, 0 };
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        result.output.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    // The output has ended; the program may still be on its way out.
    int status = 0;
    pid_t reaped = 0;
    while ((reaped = waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (reaped != pid) {
        kill(-pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    result.status = decode(status);
    return result;
}
