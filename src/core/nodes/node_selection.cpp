#include "core/nodes/node_selection.h"

#include <charconv>
#include <cstdint>
#include <stdexcept>

int delayFromText(std::string_view text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument("not a delay: " + std::string(text));
    return value;
}

int probeLineType(int t, SelectionState& state, const NodeListLoader& loadNodes, platform::IcmpProbe& probe,
    NodeChoice& choice)
{
    try {
        const NodeList list = loadNodes();
        std::int64_t sum = 0;
        for (const NodeEntry& node : list.nodes) {
            if (node.number < 1 || node.number > list.nodeCount || node.lineType != t || node.right != 1
                || node.address.empty())
                continue;
            const int d = delayFromText(probe.ping(node.address));
            sum += d;
            if (d < state.bestDelay) {
                state.bestDelay = d;
                state.bestNode = node.number;
                choice.setServerIp(node.address);
            }
        }
        state.caption = "自动-" + list.nameOf(state.bestNode);
        if (list.nodeCount < 1)
            return 0;
        // At most nodeCount terms, each an int: the quotient fits an int again.
        return static_cast<int>(sum / (static_cast<std::int64_t>(list.nodeCount) + 1));
    } catch (const platform::IcmpUnavailable&) {
        throw;
    } catch (...) {
        return 0;
    }
}

std::optional<AutoSelection> selectBestNode(
    const NodeListLoader& loadNodes, platform::IcmpProbe& probe, NodeChoice& choice)
{
    SelectionState state;
    int score1 = 0, score2 = 0;
    try {
        score1 = probeLineType(1, state, loadNodes, probe, choice);
        score2 = probeLineType(2, state, loadNodes, probe, choice);
    } catch (const platform::IcmpUnavailable&) {
        return std::nullopt;
    }
    AutoSelection result;
    if (score2 < score1) {
        result.lineType = 2;
        result.showLineText = "本地电信线路";
    } else {
        result.lineType = 1;
        result.showLineText = "本地网通线路";
    }
    choice.setLineType(result.lineType);
    result.caption = state.caption;
    return result;
}
