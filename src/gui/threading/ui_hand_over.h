#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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

// What the work on the receiver's thread threw, as it reaches the worker.
class HandedOverFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one way work reaches the UI thread from a worker: pieces of work run on
// the thread of a receiver object, in the order handed over, waited for or
// not. Unlike a blocking-queued call it cannot hang or touch freed memory when
// the receiver is destroyed: the waiting worker gets HandOverBroken instead,
// and work queued for it is dropped. Posting and the receiver's end take the
// same lock, so no work is queued to a receiver that is already gone. The work
// itself waits in a queue of its own under that lock; the event loop only
// carries a wake-up, so every piece of work changes threads through the lock.
class UiHandOver {
public:
    // Create on the receiver's thread; the hand-over follows the receiver's
    // lifetime from then on.
    static std::shared_ptr<UiHandOver> create(QObject* receiver);

    // From the worker: runs work on the receiver's thread and waits for it.
    // What work threw comes back as HandedOverFailure with its text.
    void run(std::function<void()> work);
    // From the worker: queues work without waiting; dropped when the receiver
    // is gone.
    void post(std::function<void()> work);
    // From the worker: the answer of question, asked on the receiver's thread;
    // nothing when the receiver is gone, as a question that could not be
    // asked has no answer.
    template <typename T, typename F> std::optional<T> ask(F question)
    {
        std::optional<T> answer;
        try {
            run([&answer, &question] { answer = question(); });
        } catch (const HandOverBroken&) {
            return std::nullopt;
        }
        return answer;
    }

    ~UiHandOver();
    UiHandOver(const UiHandOver&) = delete;
    UiHandOver& operator=(const UiHandOver&) = delete;

    // The queue and the receiver's side, shared with the pump on the
    // receiver's thread: what was handed over still runs after the worker has
    // let go of its hand-over.
    struct State {
        std::mutex lock;
        QObject* pump = nullptr; // null once the receiver is gone
        std::deque<std::function<void()>> queue;
        void enqueue(std::function<void()> work); // lock held
        void runNext(); // on the receiver's thread
    };

private:
    UiHandOver() = default;
    std::shared_ptr<State> state_;
};
