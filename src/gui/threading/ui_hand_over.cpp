#include "gui/threading/ui_hand_over.h"

#include <QMetaObject>
#include <QObject>
#include <future>

std::shared_ptr<UiHandOver> UiHandOver::create(QObject* receiver)
{
    std::shared_ptr<UiHandOver> h(new UiHandOver);
    h->receiver_ = receiver;
    // Runs inside the receiver's destructor, on its own thread.
    QObject::connect(receiver, &QObject::destroyed, [weak = std::weak_ptr<UiHandOver>(h)] {
        if (auto self = weak.lock()) {
            std::lock_guard g(self->lock_);
            self->receiver_ = nullptr;
        }
    });
    return h;
}

void UiHandOver::run(std::function<void()> work)
{
    // The promise lives in the queued call: if the receiver dies before the
    // call runs, Qt drops the call, the promise goes with it and the wait
    // below ends with broken_promise.
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> result = done->get_future();
    {
        std::lock_guard g(lock_);
        if (!receiver_)
            throw HandOverBroken();
        QMetaObject::invokeMethod(
            receiver_,
            [work = std::move(work), done = std::move(done)] {
                try {
                    work();
                    done->set_value();
                } catch (...) {
                    done->set_exception(std::current_exception());
                }
            },
            Qt::QueuedConnection);
    }
    try {
        result.get();
    } catch (const std::future_error&) {
        throw HandOverBroken();
    }
}

void UiHandOver::post(std::function<void()> work)
{
    std::lock_guard g(lock_);
    if (receiver_)
        QMetaObject::invokeMethod(receiver_, std::move(work), Qt::QueuedConnection);
}
