#pragma once

#include <string>
#include <vector>

#include "core/cipher/string_cipher.h"
#include "platform/gbk_codec.h"
#include "tests/support/temp_dir.h"

// Writes small node list files the way the service publishes them: GBK, CR LF,
// addresses enciphered.
struct TestNode {
    int lineType = 1;
    std::string address;
    std::string name;
    int right = 1;
};

inline std::string nodeListText(const std::vector<TestNode>& nodes, const std::string& nodeCount)
{
    std::string text = "[head]\r\nnodecount=" + nodeCount + "\r\n";
    for (size_t i = 0; i < nodes.size(); ++i) {
        const TestNode& n = nodes[i];
        text += "[node" + std::to_string(i + 1) + "]\r\n";
        text += "linetype=" + std::to_string(n.lineType) + "\r\n";
        text += "ip=" + cipher::encryptText(n.address) + "\r\n";
        text += "nodename=" + n.name + "\r\n";
        text += "right=" + std::to_string(n.right) + "\r\n";
    }
    return platform::utf8ToGbk(text);
}

inline void writeNodeList(const std::string& path, const std::vector<TestNode>& nodes)
{
    writeBytes(path, nodeListText(nodes, std::to_string(nodes.size())));
}
