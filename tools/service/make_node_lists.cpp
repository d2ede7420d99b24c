// Writes the reference service's node lists "Vip.ini" and "Free.ini" into the
// folder given as the only argument: GBK, CR LF, addresses enciphered with the
// client's cipher. The nodes are loopback addresses, so the demo measures and
// dials them on this machine and nothing leaves it.

#include <cstdio>
#include <string>
#include <vector>

#include "core/cipher/string_cipher.h"
#include "platform/gbk_codec.h"

namespace {

struct Node {
    int lineType;
    const char* address;
    const char* name;
    int right;
};

const std::vector<Node> kVip = {
    { 1, "127.0.0.11", "电信VIP一号", 1 },
    { 1, "127.0.0.12", "电信二号", 1 },
    { 2, "127.0.0.21", "网通VIP一号", 1 },
    { 2, "127.0.0.22", "网通二号(手动)", 0 },
    { 3, "127.0.0.31", "铁通一号", 1 },
    { 2, "127.0.0.23", "网通三号", 1 },
};

// A VIP node in the free list too: automatic selection may take it, a free
// account may not pick it by hand.
const std::vector<Node> kFree = {
    { 1, "127.0.0.41", "电信免费一号", 1 },
    { 1, "127.0.0.11", "电信VIP专线", 1 },
    { 2, "127.0.0.51", "网通免费一号", 1 },
    { 2, "127.0.0.52", "网通免费二号(手动)", 0 },
    { 3, "127.0.0.61", "其他线路免费", 1 },
};

std::string render(const std::vector<Node>& nodes)
{
    std::string text = "[head]\r\nnodecount=" + std::to_string(nodes.size()) + "\r\n";
    for (size_t i = 0; i < nodes.size(); ++i) {
        const Node& n = nodes[i];
        text += "\r\n[node" + std::to_string(i + 1) + "]\r\n";
        text += "linetype=" + std::to_string(n.lineType) + "\r\n";
        text += "ip=" + cipher::encryptText(n.address) + "\r\n";
        text += std::string("nodename=") + n.name + "\r\n";
        text += "right=" + std::to_string(n.right) + "\r\n";
    }
    return platform::utf8ToGbk(text);
}

bool write(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    if (!write(dir + "Vip.ini", render(kVip)) || !write(dir + "Free.ini", render(kFree))) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
