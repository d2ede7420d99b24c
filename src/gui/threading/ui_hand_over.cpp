#include "gui/threading/ui_hand_over.h"

#include <QMetaObject>
#include <QObject>
#include <future>

// A child of the receiver, so on its thread and gone with it: each wake-up
// runs the next piece of work. It goes earlier once its hand-over is let go
// and everything handed over has run.
class UiHandOverPump : public QObject {
    Q_OBJECT
public:
    UiHandOverPump(QObject* receiver, std::shared_ptr<UiHandOver::State> state)
        : QObject(receiver)
        , state_(std::move(state))
    {
    }
    ~UiHandOverPump() override
    {
        // Whatever is still queued is dropped here, on the receiver's thread
        // (a waiting worker's promise breaks with it).
        std::deque<std::function<void()>> dropped;
        std::lock_guard g(state_->lock);
        state_->pump = nullptr;
        dropped.swap(state_->queue);
    }
    Q_INVOKABLE void wake() { state_->runNext(); }
    Q_INVOKABLE void retire() { deleteLater(); }

private:
    std::shared_ptr<UiHandOver::State> state_;
};

std::shared_ptr<UiHandOver> UiHandOver::create(QObject* receiver)
{
    std::shared_ptr<UiHandOver> h(new UiHandOver);
    h->state_ = std::make_shared<State>();
    h->state_->pump = new UiHandOverPump(receiver, h->state_);
    // Runs inside the receiver's destructor, before its children go: from
    // then on nothing more is taken.
    QObject::connect(receiver, &QObject::destroyed, [state = std::weak_ptr<State>(h->state_)] {
        if (auto s = state.lock()) {
            std::lock_guard g(s->lock);
            s->pump = nullptr;
        }
    });
    return h;
}

UiHandOver::~UiHandOver()
{
    // The wake-ups already queued come first, then the pump goes.
    std::lock_guard g(state_->lock);
    if (state_->pump)
        QMetaObject::invokeMethod(state_->pump, "retire", Qt::QueuedConnection);
}

void UiHandOver::State::enqueue(std::function<void()> work)
{
    queue.push_back(std::move(work));
    QMetaObject::invokeMethod(pump, "wake", Qt::QueuedConnection);
}

void UiHandOver::State::runNext()
{
    std::function<void()> work;
    {
        std::lock_guard g(lock);
        if (queue.empty())
            return;
        work = std::move(queue.front());
        queue.pop_front();
    }
    work();
}

void UiHandOver::run(std::function<void()> work)
{
    // The promise travels with the work: if the receiver goes before the work
    // runs, the work is dropped, the promise goes with it and the wait below
    // ends with broken_promise.
    // What the work threw comes back as its text: an exception object shared
    // between threads would be freed by whichever lets go last.
    auto done = std::make_shared<std::promise<std::optional<std::string>>>();
    std::future<std::optional<std::string>> result = done->get_future();
    {
        std::lock_guard g(state_->lock);
        if (!state_->pump)
            throw HandOverBroken();
        state_->enqueue([work = std::move(work), done = std::move(done)] {
            try {
                work();
                done->set_value(std::nullopt);
            } catch (const std::exception& e) {
                done->set_value(std::string(e.what()));
            } catch (...) {
                done->set_value(std::string("failed"));
            }
        });
    }
    std::optional<std::string> failure;
    try {
        failure = result.get();
    } catch (const std::future_error&) {
        throw HandOverBroken();
    }
    if (failure)
        throw HandedOverFailure(*failure);
}

void UiHandOver::post(std::function<void()> work)
{
    std::lock_guard g(state_->lock);
    if (state_->pump)
        state_->enqueue(std::move(work));
}

#include "ui_hand_over.moc"
