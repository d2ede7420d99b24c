#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "core/nodes/node_list.h"
#include "platform/icmp_probe.h"

// The chooser's word for a delay in milliseconds.
std::string ratingFor(int delay);

struct ListProbeRow {
    std::string name;
    std::string rating;
    std::string delayText; // as the probe answered it
    std::string address;
};

// Receives a list pass's changes in the order they happen.
class ListProbeSink {
public:
    virtual ~ListProbeSink() = default;
    virtual void clearList() = 0;
    virtual void addRow(const ListProbeRow& row) = 0;
    // The row to preselect; none when the pass added no row.
    virtual void selectRow(std::optional<int> row) = 0;
};

enum class ListProbeEnd {
    Completed,
    Stopped, // stop requested; the rows added so far stay, nothing is selected
    Failed, // an error ended the pass; the rows added so far stay
};

// One pass over the nodes of lineType, right or not: clears the list, then
// probes each node once and adds its row. A node without an address is listed
// with delay "0" and nothing is sent to it. Preselects the first row with the
// smallest delay that is not 0 and below 400, else row 0. A stop request is
// looked at before each node.
ListProbeEnd runListProbe(int lineType, const NodeListLoader& loadNodes, platform::IcmpProbe& probe,
    ListProbeSink& sink, std::stop_token stop = {});
