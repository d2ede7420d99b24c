#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One node section of the catalogue ("node1", "node2", ...).
struct NodeEntry {
    int number = 0; // 1-based section number
    int lineType = 0; // 1 telecom, 2 netcom, 3 other; anything else is in no line type
    std::string address; // deciphered "ip"; empty when missing or undecipherable
    std::string name;
    int right = 0; // 1 admits the node to automatic selection
};

// The catalogue as read at one moment.
struct NodeList {
    // "nodecount" of the file, which the selection score divides by.
    int nodeCount = 0;
    // The sections among 1..nodeCount that the file holds, in ascending
    // order. A missing one would read as all defaults (line type 0, taking
    // part in nothing) and is left out, so a huge count costs nothing.
    std::vector<NodeEntry> nodes;

    // Empty for a number outside the list.
    std::string nameOf(int number) const;
};

// Reads a node list afresh on every call; never fails.
using NodeListLoader = std::function<NodeList()>;

// The file fileName in appDir (trailing "/"). An exact name wins; otherwise a
// file whose name differs only in ASCII letter case is taken, so the initial
// "Free.INI" finds a downloaded "Free.ini". Without either, the exact path.
std::string resolveNodeListPath(const std::string& appDir, const std::string& fileName);

// Reads the catalogue; a missing or unreadable file reads as an empty one.
NodeList loadNodeList(const std::string& appDir, const std::string& fileName);

// A node reserved to VIP accounts: "vip" in its name in any ASCII letter case.
bool isVipNodeName(std::string_view name);
