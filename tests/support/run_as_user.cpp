#include "tests/support/run_as_user.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

std::string runAsUser(int uid, const std::vector<gid_t>& groups, const std::function<std::string()>& work)
{
    int p[2];
    if (pipe(p) != 0)
        return "pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        close(p[0]);
        const auto id = static_cast<uid_t>(uid);
        if (setgroups(groups.size(), groups.data()) != 0 || setresgid(id, id, id) != 0
            || setresuid(id, id, id) != 0)
            _exit(1);
        const std::string out = work();
        [[maybe_unused]] const ssize_t n = write(p[1], out.data(), out.size());
        _exit(0);
    }
    close(p[1]);
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = read(p[0], buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<std::size_t>(n));
    close(p[0]);
    waitpid(pid, nullptr, 0);
    return out;
}
