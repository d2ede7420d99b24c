#include "gui/nodes/node_list_probe.h"

#include "gui/threading/queued_call.h"

#include <QMetaObject>

namespace {

class QueuedSink final : public ListProbeSink {
public:
    QueuedSink(QObject* context, const NodeListProbe::Receiver& r) : context_(context), r_(r) {}
    void clearList() override { post([f = r_.clearList] { f(); }); }
    void addRow(const ListProbeRow& row) override { post([f = r_.addRow, row] { f(row); }); }
    void selectRow(std::optional<int> row) override { post([f = r_.selectRow, row] { f(row); }); }
    void finished() { post([f = r_.finished] { f(); }); }

private:
    template <typename F>
    void post(F f)
    {
        queueTo(context_, std::move(f));
    }
    QPointer<QObject> context_;
    NodeListProbe::Receiver r_;
};

}  // namespace

NodeListProbe::NodeListProbe(int lineType, NodeListLoader loadNodes, platform::IcmpProbe& probe, QObject* context,
                             Receiver receiver)
    : lineType_(lineType)
{
    thread_ = std::jthread([this, lineType, loadNodes = std::move(loadNodes), &probe, context,
                            receiver = std::move(receiver)](std::stop_token stop) {
        QueuedSink sink(context, receiver);
        try {
            runListProbe(lineType, loadNodes, probe, sink, stop);
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
