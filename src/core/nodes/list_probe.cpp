#include "core/nodes/list_probe.h"

#include "core/nodes/node_selection.h"

std::string ratingFor(int delay)
{
    if (delay <= 100)
        return "优";
    if (delay <= 200)
        return "良";
    if (delay <= 399)
        return "一般";
    return "未知";
}

ListProbeEnd runListProbe(int lineType, const NodeListLoader& loadNodes, platform::IcmpProbe& probe,
    ListProbeSink& sink, std::stop_token stop)
{
    try {
        sink.clearList();
        int bestDelay = 400;
        int bestRow = 0;
        int rows = 0;
        const NodeList list = loadNodes();
        for (const NodeEntry& node : list.nodes) {
            if (node.number < 1 || node.number > list.nodeCount || node.lineType != lineType)
                continue;
            if (stop.stop_requested())
                return ListProbeEnd::Stopped;
            ++rows;
            const std::string delayText = node.address.empty() ? "0" : probe.ping(node.address);
            const int d = delayFromText(delayText);
            if (d != 0 && d < bestDelay) {
                bestDelay = d;
                bestRow = rows - 1;
            }
            sink.addRow({ node.name, ratingFor(d), delayText, node.address });
        }
        sink.selectRow(rows > 0 ? std::optional<int>(bestRow) : std::nullopt);
        return ListProbeEnd::Completed;
    } catch (...) {
        return ListProbeEnd::Failed;
    }
}
