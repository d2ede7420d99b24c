#include "tools/rasd/phonebook_entry.h"

#include <fstream>
#include <optional>
#include <sstream>

#include "base/ascii.h"
#include "base/ini_file.h"
#include "tools/rasd/ras_error.h"

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return equalsIgnoringAsciiCase(a, b);
}

// The section header's own spelling of the entry, as the private-profile
// functions match it (trimmed, ASCII case ignored).
std::optional<std::string> findSection(const std::string& bytes, const std::string& entry)
{
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        const std::string_view t = trimLine(line);
        if (t.empty() || t.front() != '[')
            continue;
        const size_t close = t.find(']');
        const std::string_view name
            = trimLine(t.substr(1, close == std::string_view::npos ? t.npos : close - 1));
        if (sameName(name, entry))
            return std::string(name);
    }
    return std::nullopt;
}

} // namespace

std::variant<PhonebookEntry, int> PhonebookEntry::load(const std::string& path, const std::string& entry)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ras::kCannotOpenPhonebook;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return parse(bytes.str(), entry);
}

std::variant<PhonebookEntry, int> PhonebookEntry::parse(const std::string& bytes, const std::string& entry)
{
    if (entry.empty())
        return ras::kCannotFindPhonebookEntry;
    const auto section = findSection(bytes, entry);
    if (!section)
        return ras::kCannotFindPhonebookEntry;

    const IniSnapshot ini(bytes);
    PhonebookEntry e;
    e.name = *section;
    e.vpnStrategy = ini.readInt(entry, "VpnStrategy", 0);
    e.dataEncryption = ini.readInt(entry, "DataEncryption", 0);
    e.ipPrioritizeRemote = ini.readInt(entry, "IpPrioritizeRemote", 0) != 0;
    e.ipHeaderCompression = ini.readInt(entry, "IpHeaderCompression", 0) != 0;
    e.phoneNumber = ini.readString(entry, "PhoneNumber");
    return e;
}
