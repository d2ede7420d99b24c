#include "base/ini_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/ascii.h"
#include "base/file_bytes.h"
#include "platform/gbk_codec.h"

namespace {

struct Line {
    std::string_view text; // without its line end
    std::string_view terminator; // "\r\n", "\n", "\r" or empty at the end of the file
};

std::vector<Line> splitLines(std::string_view data)
{
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < data.size()) {
        const size_t end = data.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back({ data.substr(pos), {} });
            break;
        }
        size_t termLen = 1;
        if (data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n')
            termLen = 2;
        lines.push_back({ data.substr(pos, end - pos), data.substr(end, termLen) });
        pos = end + termLen;
    }
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

bool iequals(std::string_view a, std::string_view b)
{
    return equalsIgnoringAsciiCase(a, b);
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

bool readAll(const std::string& path, std::string& out)
{
    return readFileBytes(path, out);
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
        if (!name || !iequals(*name, section))
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

// Writes the whole content beside the file, then renames it into place.
void replaceFile(const std::string& path, std::string_view content)
{
    std::string tmp = path + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0)
        throw IniWriteError(path);
    struct stat st { };
    if (stat(path.c_str(), &st) == 0)
        fchmod(fd, st.st_mode & 07777);
    else
        fchmod(fd, 0644);
    bool ok = true;
    size_t off = 0;
    while (ok && off < content.size()) {
        const ssize_t n = ::write(fd, content.data() + off, content.size() - off);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            off += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && std::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(tmp.c_str());
        throw IniWriteError(path);
    }
}

std::string join(const std::vector<Line>& lines)
{
    std::string out;
    for (const auto& l : lines) {
        out.append(l.text);
        out.append(l.terminator);
    }
    return out;
}

} // namespace

IniWriteError::IniWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path)
    , path_(path)
{
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
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    int v = 0;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
    if (ec != std::errc() || p != text.data() + text.size())
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
    if (!readAll(path_, data))
        return std::string(def);
    const std::string gbkSection = platform::utf8ToGbk(section);
    const std::string gbkKey = platform::utf8ToGbk(key);
    const auto lines = splitLines(data);
    const auto span = findSection(lines, gbkSection);
    if (!span)
        return std::string(def);
    for (size_t i = span->header + 1; i < span->end; ++i) {
        const auto k = keyName(lines[i].text);
        if (!k || !iequals(*k, gbkKey))
            continue;
        std::string_view value = trim(lines[i].text.substr(lines[i].text.find('=') + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
            && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return platform::gbkToUtf8(value.substr(0, kMaxValueBytes));
    }
    return std::string(def);
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
    const std::string entry = gbkKey + "=" + platform::utf8ToGbk(value);

    std::lock_guard guard(writerLockFor(path_));
    std::string data;
    if (exists() && !readAll(path_, data))
        throw IniWriteError(path_);
    auto lines = splitLines(data);
    const auto span = findSection(lines, gbkSection);

    static constexpr std::string_view kCrLf = "\r\n";
    std::vector<std::string> owned; // keeps new line texts alive
    owned.reserve(3);

    if (span) {
        for (size_t i = span->header + 1; i < span->end; ++i) {
            const auto k = keyName(lines[i].text);
            if (k && iequals(*k, gbkKey)) {
                owned.push_back(std::string(*k) + "=" + platform::utf8ToGbk(value));
                lines[i].text = owned.back();
                replaceFile(path_, join(lines));
                return;
            }
        }
        // New key: after the section's last non-empty line.
        size_t at = span->end;
        while (at > span->header + 1 && trim(lines[at - 1].text).empty())
            --at;
        if (lines[at - 1].terminator.empty())
            lines[at - 1].terminator = kCrLf;
        owned.push_back(entry);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line { owned.back(), kCrLf });
    } else {
        if (!lines.empty() && lines.back().terminator.empty())
            lines.back().terminator = kCrLf;
        owned.push_back("[" + gbkSection + "]");
        lines.push_back({ owned.back(), kCrLf });
        owned.push_back(entry);
        lines.push_back({ owned.back(), kCrLf });
    }
    replaceFile(path_, join(lines));
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
    if (!readAll(path_, data))
        throw IniWriteError(path_);
    auto lines = splitLines(data);
    const auto span = findSection(lines, gbkSection);
    if (!span)
        return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span->header),
        lines.begin() + static_cast<std::ptrdiff_t>(span->end));
    replaceFile(path_, join(lines));
}
