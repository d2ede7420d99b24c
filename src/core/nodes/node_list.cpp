#include "core/nodes/node_list.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
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

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Highest i for which a header "[node<i>]" is in the file, as the INI reader
// would find it by the name "node" + i; 0 when there is none.
int lastNodeSection(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int last = 0;
    size_t pos = 0;
    while (pos < data.size()) {
        size_t end = data.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = data.size();
        const std::string_view line = trimBlanks(std::string_view(data).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() != '[')
            continue;
        const size_t close = line.find(']');
        const std::string_view name
            = trimBlanks(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
        if (name.size() < 5 || !iequalsAscii(name.substr(0, 4), "node") || name[4] == '0')
            continue;
        const std::string_view digits = name.substr(4);
        int number = 0;
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (ec == std::errc() && ptr == digits.data() + digits.size())
            last = std::max(last, number);
    }
    return last;
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
    const IniFile ini(resolveNodeListPath(appDir, fileName));
    NodeList list;
    list.nodeCount = ini.readInt("head", "nodecount", 1);
    const int present = std::min(list.nodeCount, lastNodeSection(ini.path()));
    for (int i = 1; i <= present; ++i) {
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
