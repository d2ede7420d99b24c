#include "gui/nodes/node_list_probe.h"

#include "base/worker_threads.h"
#include "gui/threading/ui_hand_over.h"

namespace {

class HandedOverSink final : public ListProbeSink {
public:
    HandedOverSink(std::shared_ptr<UiHandOver> ui, const NodeListProbe::Receiver& r)
        : ui_(std::move(ui))
        , r_(r)
    {
    }
    void clearList() override
    {
        ui_->post([f = r_.clearList] { f(); });
    }
    void addRow(const ListProbeRow& row) override
    {
        ui_->post([f = r_.addRow, row] { f(row); });
    }
    void selectRow(std::optional<int> row) override
    {
        ui_->post([f = r_.selectRow, row] { f(row); });
    }
    void finished()
    {
        ui_->post([f = r_.finished] { f(); });
    }

private:
    std::shared_ptr<UiHandOver> ui_;
    NodeListProbe::Receiver r_;
};

} // namespace

std::shared_ptr<NodeListProbe> NodeListProbe::start(WorkerThreads& workers, int lineType,
    NodeListLoader loadNodes, std::shared_ptr<platform::IcmpProbe> probe, QObject* receiverObject,
    Receiver receiver)
{
    std::shared_ptr<NodeListProbe> self(new NodeListProbe(lineType));
    auto ui = UiHandOver::create(receiverObject);
    workers.start([self, loadNodes = std::move(loadNodes), probe = std::move(probe), ui,
                      receiver = std::move(receiver)] {
        HandedOverSink sink(ui, receiver);
        try {
            runListProbe(self->lineType_, loadNodes, *probe, sink, self->stop_.get_token());
        } catch (...) {
            // a failing pass keeps its rows
        }
        self->running_ = false;
        sink.finished();
    });
    return self;
}
