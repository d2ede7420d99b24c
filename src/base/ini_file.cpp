#include "base/ini_file.h"

#include <charconv>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "base/ascii.h"
#include "base/atomic_file.h"
#include "base/file_bytes.h"
#include "platform/gbk_codec.h"

namespace {

struct Line {
    std::string_view text; // without its line end
    std::string_view terminator; // "\r\n", "\n", "\r" or empty at the end of the file
};

// Calls f(line) for each line of data, without copying; stops when f
// returns false.
template <typename F> void forEachLine(std::string_view data, F f)
{
    size_t pos = 0;
    while (pos < data.size()) {
        const size_t end = data.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            f(Line { data.substr(pos), {} });
            return;
        }
        const size_t termLen = (data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n') ? 2 : 1;
        if (!f(Line { data.substr(pos, end - pos), data.substr(end, termLen) }))
            return;
        pos = end + termLen;
    }
}

std::vector<Line> splitLines(std::string_view data)
{
    std::vector<Line> lines;
    forEachLine(data, [&lines](const Line& l) {
        lines.push_back(l);
        return true;
    });
    return lines;
}

std::string_view trim(std::string_view s)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// Section name of a header line, or nothing when the line is no header.
std::optional<std::string_view> sectionName(std::string_view line)
{
    const std::string_view t = trim(line);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    const size_t close = t.find(']');
    return trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

// Key of an entry line, or nothing when the line holds no "=".
std::optional<std::string_view> keyName(std::string_view line)
{
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(0, eq));
}

// The value as a reader sees it: trimmed, one pair of quotes taken off, cut
// at the longest value a reader takes, in UTF-8.
std::string readValue(std::string_view line)
{
    std::string_view value = trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return platform::gbkToUtf8(value.substr(0, IniFile::kMaxValueBytes));
}

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return out;
}

// Where a section starts and ends within the lines.
struct SectionSpan {
    size_t header; // index of the "[name]" line
    size_t end; // one past the section's last line
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, std::string_view section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!name || !equalsIgnoringAsciiCase(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end].text))
            ++end;
        return SectionSpan { i, end };
    }
    return std::nullopt;
}

std::mutex& writerLockFor(const std::string& path)
{
    static std::mutex registryLock;
    static std::map<std::string, std::unique_ptr<std::mutex>> locks;
    std::lock_guard guard(registryLock);
    auto& slot = locks[path];
    if (!slot)
        slot = std::make_unique<std::mutex>();
    return *slot;
}

// A file that exists and grants nobody write permission, or not this
// process, keeps its content: its owner made it read-only.
bool writeRefused(const std::string& path)
{
    struct stat st { };
    if (stat(path.c_str(), &st) != 0)
        return false;
    return (st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

// Settings can hold credentials: a new file is the user's alone.
constexpr mode_t kNewFileMode = 0600;

void replaceFile(const std::string& path, const std::vector<Line>& lines)
{
    AtomicFile out(path, kNewFileMode, AtomicFile::Links::Follow);
    bool ok = out.ok();
    for (const auto& l : lines) {
        ok = ok && out.write(l.text) && out.write(l.terminator);
        if (!ok)
            break;
    }
    if (!ok || !out.commit())
        throw IniWriteError(path);
}

// The lines of the file for a write; empty for a file that does not exist.
std::vector<Line> linesForWrite(const std::string& path, std::string& data)
{
    if (writeRefused(path))
        throw IniWriteError(path);
    struct stat st { };
    if (stat(path.c_str(), &st) == 0 && !readFileBytes(path, data))
        throw IniWriteError(path);
    return splitLines(data);
}

} // namespace

IniWriteError::IniWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path)
    , path_(path)
{
}

bool parseDecimalInt(std::string_view text, std::int32_t& out)
{
    // One sign at most: from_chars takes a "-" itself but never a "+".
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return false;
    }
    std::int32_t v = 0;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
    if (text.empty() || ec != std::errc() || p != text.data() + text.size())
        return false;
    out = v;
    return true;
}

bool parseIniInt(std::string_view text, int& out)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view digits = text.substr(2);
        if (digits.size() > 8)
            return false;
        std::uint32_t v = 0;
        const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
        if (ec != std::errc() || p != digits.data() + digits.size())
            return false;
        out = static_cast<int>(v);
        return true;
    }
    std::int32_t v = 0;
    if (!parseDecimalInt(text, v))
        return false;
    out = v;
    return true;
}

bool IniFile::exists() const
{
    struct stat st { };
    return stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view def) const
{
    std::string data;
    if (!readFileBytes(path_, data))
        return std::string(def);
    const std::string gbkSection = platform::utf8ToGbk(section);
    const std::string gbkKey = platform::utf8ToGbk(key);
    // Only the first section of the name counts.
    enum { Before, Inside, After } where = Before;
    std::optional<std::string> found;
    forEachLine(data, [&](const Line& l) {
        if (const auto name = sectionName(l.text)) {
            if (where == Inside)
                where = After;
            else if (where == Before && equalsIgnoringAsciiCase(*name, gbkSection))
                where = Inside;
            return where != After;
        }
        if (where == Inside) {
            const auto k = keyName(l.text);
            if (k && equalsIgnoringAsciiCase(*k, gbkKey)) {
                found = readValue(l.text);
                return false;
            }
        }
        return true;
    });
    return found ? std::move(*found) : std::string(def);
}

int IniFile::readInt(std::string_view section, std::string_view key, int def) const
{
    int v = def;
    return parseIniInt(readString(section, key), v) ? v : def;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const
{
    return readInt(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) const
{
    const std::string gbkSection = platform::utf8ToGbk(section);
    const std::string gbkKey = platform::utf8ToGbk(key);
    const std::string gbkValue = platform::utf8ToGbk(value);

    std::lock_guard guard(writerLockFor(path_));
    std::string data;
    auto lines = linesForWrite(path_, data);
    const auto span = findSection(lines, gbkSection);

    static constexpr std::string_view kCrLf = "\r\n";
    std::vector<std::string> owned; // keeps new line texts alive
    owned.reserve(3);

    if (span) {
        for (size_t i = span->header + 1; i < span->end; ++i) {
            const auto k = keyName(lines[i].text);
            if (k && equalsIgnoringAsciiCase(*k, gbkKey)) {
                owned.push_back(std::string(*k) + "=" + gbkValue);
                lines[i].text = owned.back();
                replaceFile(path_, lines);
                return;
            }
        }
        // New key: after the section's last non-empty line.
        size_t at = span->end;
        while (at > span->header + 1 && trim(lines[at - 1].text).empty())
            --at;
        if (lines[at - 1].terminator.empty())
            lines[at - 1].terminator = kCrLf;
        owned.push_back(gbkKey + "=" + gbkValue);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line { owned.back(), kCrLf });
    } else {
        if (!lines.empty() && lines.back().terminator.empty())
            lines.back().terminator = kCrLf;
        owned.push_back("[" + gbkSection + "]");
        lines.push_back({ owned.back(), kCrLf });
        owned.push_back(gbkKey + "=" + gbkValue);
        lines.push_back({ owned.back(), kCrLf });
    }
    replaceFile(path_, lines);
}

void IniFile::writeInt(std::string_view section, std::string_view key, int value) const
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) const
{
    writeString(section, key, value ? "1" : "0");
}

void IniFile::eraseSection(std::string_view section) const
{
    const std::string gbkSection = platform::utf8ToGbk(section);
    std::lock_guard guard(writerLockFor(path_));
    if (!exists())
        return;
    std::string data;
    auto lines = linesForWrite(path_, data);
    const auto span = findSection(lines, gbkSection);
    if (!span)
        return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span->header),
        lines.begin() + static_cast<std::ptrdiff_t>(span->end));
    replaceFile(path_, lines);
}

IniSnapshot IniSnapshot::read(const std::string& path)
{
    std::string data;
    if (!readFileBytes(path, data))
        data.clear();
    return IniSnapshot(std::move(data));
}

IniSnapshot::IniSnapshot(std::string gbkData)
    : data_(std::move(gbkData))
{
    Section* current = nullptr;
    forEachLine(data_, [this, &current](const Line& l) {
        if (const auto name = sectionName(l.text)) {
            sections_.push_back({ *name, {} });
            current = &sections_.back();
            index_.try_emplace(lowerAscii(*name), sections_.size() - 1);
            return true;
        }
        if (current)
            if (const auto k = keyName(l.text))
                current->entries.emplace_back(*k, l.text);
        return true;
    });
}

const IniSnapshot::Section* IniSnapshot::find(std::string_view gbkName) const
{
    const auto it = index_.find(lowerAscii(gbkName));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

std::string IniSnapshot::readString(
    std::string_view section, std::string_view key, std::string_view def) const
{
    if (const Section* s = find(platform::utf8ToGbk(section))) {
        const std::string gbkKey = platform::utf8ToGbk(key);
        for (const auto& [k, line] : s->entries)
            if (equalsIgnoringAsciiCase(k, gbkKey))
                return readValue(line);
    }
    return std::string(def);
}

int IniSnapshot::readInt(std::string_view section, std::string_view key, int def) const
{
    int v = def;
    return parseIniInt(readString(section, key), v) ? v : def;
}

std::vector<std::string> IniSnapshot::sectionNames() const
{
    std::vector<std::string> names;
    for (size_t i = 0; i < sections_.size(); ++i)
        if (index_.at(lowerAscii(sections_[i].name)) == i)
            names.push_back(platform::gbkToUtf8(sections_[i].name));
    return names;
}
