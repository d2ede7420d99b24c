#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>

class QObject;

// Thrown to a worker whose UI side has gone away.
class HandOverBroken : public std::runtime_error {
public:
    HandOverBroken()
        : std::runtime_error("the user-interface side is gone")
    {
    }
};

// Lets a worker thread run pieces of work on the thread of a receiver object
// (the UI thread), in the order handed over, and wait for each. Unlike a
// blocking-queued call it cannot hang or touch freed memory when the receiver
// is destroyed: the waiting worker gets HandOverBroken instead.
class UiHandOver {
public:
    // Create on the receiver's thread; the hand-over follows the receiver's
    // lifetime from then on.
    static std::shared_ptr<UiHandOver> create(QObject* receiver);

    // From the worker: runs work on the receiver's thread and waits for it.
    // Rethrows what work threw.
    void run(std::function<void()> work);
    // From the worker: queues work without waiting; dropped when the receiver
    // is gone.
    void post(std::function<void()> work);

private:
    UiHandOver() = default;
    std::mutex lock_;
    QObject* receiver_ = nullptr;
};
