#include "gui/nodes/node_list_probe.h"

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

NodeListProbe::NodeListProbe(int lineType, NodeListLoader loadNodes,
    std::shared_ptr<platform::IcmpProbe> probe, QObject* receiverObject, Receiver receiver)
    : lineType_(lineType)
{
    auto ui = UiHandOver::create(receiverObject);
    thread_ = std::jthread([this, lineType, loadNodes = std::move(loadNodes), probe = std::move(probe), ui,
                               receiver = std::move(receiver)](std::stop_token stop) {
        HandedOverSink sink(ui, receiver);
        try {
            runListProbe(lineType, loadNodes, *probe, sink, stop);
        } catch (...) {
            // a failing pass keeps its rows
        }
        running_ = false;
        sink.finished();
    });
}

NodeListProbe::~NodeListProbe()
{
    thread_.request_stop();
    if (thread_.joinable())
        thread_.join();
}
