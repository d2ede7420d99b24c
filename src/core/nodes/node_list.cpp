#include "core/nodes/node_list.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "base/ini_file.h"
#include "core/cipher/string_cipher.h"

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool iequalsAscii(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return lowerAscii(x) == lowerAscii(y);
    });
}

// The number i of a section named "node<i>" (any letter case, no leading
// zero); 0 for any other name.
int nodeSectionNumber(std::string_view name)
{
    if (name.size() < 5 || !iequalsAscii(name.substr(0, 4), "node") || name[4] == '0')
        return 0;
    const std::string_view digits = name.substr(4);
    int number = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return (ec == std::errc() && ptr == digits.data() + digits.size()) ? number : 0;
}

} // namespace

std::string NodeList::nameOf(int number) const
{
    for (const NodeEntry& n : nodes) {
        if (n.number == number)
            return n.name;
    }
    return {};
}

std::string resolveNodeListPath(const std::string& appDir, const std::string& fileName)
{
    namespace fs = std::filesystem;
    const std::string exact = appDir + fileName;
    std::error_code ec;
    if (fs::exists(exact, ec) || fileName.find('/') != std::string::npos)
        return exact;
    // Several spellings side by side: take the first by name, so the choice
    // does not depend on directory order.
    std::string found;
    for (fs::directory_iterator it(appDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (iequalsAscii(name, fileName) && (found.empty() || name < found))
            found = name;
    }
    return found.empty() ? exact : appDir + found;
}

NodeList loadNodeList(const std::string& appDir, const std::string& fileName)
{
    // One read and one scan of the file, and work for the sections it holds
    // only: a huge nodecount costs nothing.
    const IniSnapshot ini = IniSnapshot::read(resolveNodeListPath(appDir, fileName));
    NodeList list;
    list.nodeCount = ini.readInt("head", "nodecount", 1);
    std::vector<int> present;
    for (const std::string& name : ini.sectionNames()) {
        const int number = nodeSectionNumber(name);
        if (number >= 1 && number <= list.nodeCount)
            present.push_back(number);
    }
    std::sort(present.begin(), present.end());
    for (const int i : present) {
        const std::string section = "node" + std::to_string(i);
        NodeEntry entry;
        entry.number = i;
        entry.lineType = ini.readInt(section, "linetype", 0);
        entry.address = cipher::decryptText(ini.readString(section, "ip"));
        entry.name = ini.readString(section, "nodename");
        entry.right = ini.readInt(section, "right", 0);
        list.nodes.push_back(std::move(entry));
    }
    return list;
}

bool isVipNodeName(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), lowerAscii);
    return lower.find("vip") != std::string::npos;
}
