#include "tools/rasd/termination.h"

#include <chrono>
#include <csignal>
#include <thread>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int)
{
    stopRequested = 1;
}

} // namespace

void installTerminationHandlers()
{
    struct sigaction sa { };
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : { SIGTERM, SIGINT, SIGHUP })
        sigaction(sig, &sa, nullptr);
}

bool terminationRequested()
{
    return stopRequested != 0;
}

bool sleepUnlessTerminated(int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!terminationRequested()) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(20)));
    }
    return false;
}
