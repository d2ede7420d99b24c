#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "core/nodes/list_probe.h"

// One pass of the chooser's list over the nodes of one line type, on a thread
// of its own. Every list change is handed to the receiver's thread in the
// order the pass makes it, followed by finished(); changes reaching a
// receiver that is gone are dropped. A stop request ends the pass at the next
// node; the rows it already handed over stay.
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
    NodeListProbe(int lineType, NodeListLoader loadNodes, std::shared_ptr<platform::IcmpProbe> probe,
        QObject* receiverObject, Receiver receiver);
    ~NodeListProbe(); // stops and joins: at most one probe's wait
    NodeListProbe(const NodeListProbe&) = delete;
    NodeListProbe& operator=(const NodeListProbe&) = delete;

    int lineType() const { return lineType_; }
    bool running() const { return running_; }
    void requestStop() { thread_.request_stop(); }

private:
    int lineType_;
    std::atomic<bool> running_ { true };
    std::jthread thread_;
};
