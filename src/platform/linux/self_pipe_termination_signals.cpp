#include "platform/linux/self_pipe_termination_signals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

int pipeFds[2] = { -1, -1 };
constexpr int kSignals[] = { SIGTERM, SIGINT, SIGHUP };
struct sigaction previous[3];

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(pipeFds[1], &byte, 1);
    errno = saved;
}

} // namespace

SelfPipeTerminationSignals::SelfPipeTerminationSignals()
{
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction sa { };
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &sa, &previous[i]);
}

SelfPipeTerminationSignals::~SelfPipeTerminationSignals()
{
    if (pipeFds[0] < 0)
        return;
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &previous[i], nullptr);
    close(pipeFds[0]);
    close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

int SelfPipeTerminationSignals::fd() const
{
    return pipeFds[0];
}

void SelfPipeTerminationSignals::acknowledge()
{
    char buf[64];
    while (read(pipeFds[0], buf, sizeof buf) > 0) { }
}

} // namespace platform
