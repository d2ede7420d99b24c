#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>

#include "core/nodes/list_probe.h"

class WorkerThreads;

// One pass of the chooser's list over the nodes of one line type, on a
// worker thread of the client that nobody joins. Every list change is handed
// to the receiver's thread in the order the pass makes it, followed by
// finished(); changes reaching a receiver that is gone are dropped. A stop
// request ends the pass at the next node.
class NodeListProbe {
public:
    struct Receiver {
        std::function<void()> clearList;
        std::function<void(const ListProbeRow&)> addRow;
        std::function<void(std::optional<int>)> selectRow;
        std::function<void()> finished;
    };

    // Call on the receiver's thread. Throws std::system_error when no thread
    // can be started.
    static std::shared_ptr<NodeListProbe> start(WorkerThreads& workers, int lineType,
        NodeListLoader loadNodes, std::shared_ptr<platform::IcmpProbe> probe, QObject* receiverObject,
        Receiver receiver);

    int lineType() const { return lineType_; }
    bool running() const { return running_; }
    void requestStop() { stop_.request_stop(); }

private:
    explicit NodeListProbe(int lineType)
        : lineType_(lineType)
    {
    }

    const int lineType_;
    std::atomic<bool> running_ { true };
    std::stop_source stop_;
};
