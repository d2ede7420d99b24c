#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// The worker threads of one client: each runs to its own end and nobody joins
// it. A handle: copies share the count, which outlives every copy, so a
// thread can always sign off and a test can wait for the last one even after
// the client that started them is gone.
class WorkerThreads {
public:
    // Runs work on a thread of its own. Throws std::system_error when no
    // thread can be started.
    void start(std::function<void()> work);

    int running() const;
    // True once no worker runs; false when the time ran out first.
    bool waitIdle(std::chrono::milliseconds timeout) const;

private:
    struct Count {
        mutable std::mutex lock;
        std::condition_variable idle;
        int running = 0;
    };
    std::shared_ptr<Count> count_ = std::make_shared<Count>();
};
