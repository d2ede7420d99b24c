#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/node_choice.h"
#include "core/nodes/node_list.h"
#include "platform/icmp_probe.h"

// What one automatic choice carries from the first line type to the second.
struct SelectionState {
    int bestDelay = 400;
    int bestNode = 0; // node number; 0 while none was taken
    std::string caption;
};

// A probe's delay text as an integer; throws std::invalid_argument for text
// that is not a decimal number.
int delayFromText(std::string_view text);

// Probes the nodes of line type t that carry right = 1, in node order, one
// echo each. Every node faster than all before it (strictly) becomes the
// state's best and is written to the choice's server address at once. Sets the
// caption to "自动-" and the best node's name, and answers the sum of delays
// divided by nodecount + 1. A node without an address is skipped: it is not
// probed, adds nothing and is never taken. An error ends the call with 0;
// what was stored stays and the caption is left as it was. When no echo can
// be sent at all (platform::IcmpUnavailable), nothing was measured and the
// error goes to the caller, which drops the whole choice.
int probeLineType(int t, SelectionState& state, const NodeListLoader& loadNodes, platform::IcmpProbe& probe,
    NodeChoice& choice);

struct AutoSelection {
    int lineType = 0;
    std::string showLineText; // for ShowLine
    std::string caption; // for LocalLineTypev
};

// The whole automatic choice: line type 1 is probed before 2; the lower score
// wins, equal scores go to 1. Sets the choice's line type; the server address
// is the fastest node of either type. Nothing when no echo can be sent at
// all: the line type stays and a later attempt chooses again.
std::optional<AutoSelection> selectBestNode(
    const NodeListLoader& loadNodes, platform::IcmpProbe& probe, NodeChoice& choice);
