#include "base/worker_threads.h"

#include <thread>

void WorkerThreads::start(std::function<void()> work)
{
    {
        std::lock_guard g(count_->lock);
        ++count_->running;
    }
    const auto signOff = [](const std::shared_ptr<Count>& count) {
        std::lock_guard g(count->lock);
        if (--count->running == 0)
            count->idle.notify_all();
    };
    try {
        std::thread([count = count_, work = std::move(work), signOff]() mutable {
            try {
                work();
            } catch (...) {
                // a worker's failure ends that worker only
            }
            // What the work holds goes before the count says it is over.
            work = nullptr;
            signOff(count);
        }).detach();
    } catch (...) {
        signOff(count_);
        throw;
    }
}

int WorkerThreads::running() const
{
    std::lock_guard g(count_->lock);
    return count_->running;
}

bool WorkerThreads::waitIdle(std::chrono::milliseconds timeout) const
{
    std::unique_lock g(count_->lock);
    return count_->idle.wait_for(g, timeout, [this] { return count_->running == 0; });
}
