#include "gui/connection/dial_worker.h"

#include "gui/threading/queued_call.h"

#include <QMetaObject>
#include <QThread>
#include <future>
#include <thread>

std::atomic<int> DialWorker::running_{0};

namespace {

class QueuedDialUi final : public DialUi {
public:
    QueuedDialUi(QObject* window, DialWorker::WindowHooks hooks) : window_(window), hooks_(std::move(hooks)) {}

    void applyConnected() override { post([h = hooks_.applyConnected] { h(); }); }
    void showDialFailure(const std::string& message) override
    {
        post([h = hooks_.showDialFailure, message] { h(message); });
    }
    void showAutoT() override { post([h = hooks_.showAutoT] { h(); }); }
    bool fullRelayChecked() override
    {
        // Asked on the UI thread and waited for. A window that goes away
        // first drops the question, which breaks the promise: not ticked.
        auto answer = std::make_shared<std::promise<bool>>();
        std::future<bool> result = answer->get_future();
        post([answer, h = hooks_.fullRelayChecked] { answer->set_value(h()); });
        answer.reset();
        try {
            return result.get();
        } catch (const std::future_error&) {
            return false;
        }
    }

private:
    template <typename F>
    void post(F f)
    {
        queueTo(window_, std::move(f));
    }

    QPointer<QObject> window_;
    DialWorker::WindowHooks hooks_;
};

}  // namespace

void DialWorker::start(QObject* window, WindowHooks hooks, const ProcedureFactory& makeProcedure)
{
    auto ui = std::make_shared<QueuedDialUi>(window, std::move(hooks));
    std::shared_ptr<DialProcedure> procedure = makeProcedure(*ui);
    ++running_;
    std::thread([ui, procedure] {
        procedure->run();
        --running_;
    }).detach();
}

int DialWorker::running()
{
    return running_;
}
