#include "platform/linux/connection_registry.h"

#include "platform/linux/fd_write.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <net/if.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr const char* kRecordPrefix = "conn-";
constexpr ConnectionHandle kMaxHandle = 0x7fffffff;

template <typename T> bool parseNumber(std::string_view text, T& out)
{
    if (text.empty())
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string readWholeFile(const std::string& path, bool& ok)
{
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    if (!ok)
        return {};
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Record values are single lines.
std::string oneLine(const std::string& value)
{
    std::string out = value;
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '\0')
            c = '?';
    return out;
}

} // namespace

ConnectionRegistry::ConnectionRegistry(std::string directory)
    : dir_(std::move(directory))
{
    if (!dir_.empty() && dir_.back() != '/')
        dir_.push_back('/');
}

std::string ConnectionRegistry::defaultDirectory(const SystemPaths& paths)
{
    return paths.runtimeDir() + "zavtrel-ras/";
}

bool ConnectionRegistry::ensureDirectory() const
{
    if (mkdir(dir_.c_str(), 0700) == 0)
        return true;
    struct stat st { };
    return errno == EEXIST && stat(dir_.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ConnectionRegistry::recordPath(ConnectionHandle handle) const
{
    return dir_ + kRecordPrefix + std::to_string(handle);
}

std::optional<ConnectionHandle> ConnectionRegistry::allocateHandle() const
{
    if (!ensureDirectory())
        return std::nullopt;
    const std::string lockPath = dir_ + ".lock";
    const int lockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0)
        return std::nullopt;
    while (flock(lockFd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            close(lockFd);
            return std::nullopt;
        }
    }
    // The counter only grows, so a handle a client still holds from an
    // earlier connection never names a new one.
    const std::string counterPath = dir_ + ".next-handle";
    bool ok = false;
    ConnectionHandle next = 1;
    const std::string text = readWholeFile(counterPath, ok);
    if (ok && !parseNumber(std::string_view(text).substr(0, text.find('\n')), next))
        next = 1;
    std::optional<ConnectionHandle> chosen;
    for (int tries = 0; tries < 1000 && !chosen; ++tries) {
        if (next == 0 || next > kMaxHandle)
            next = 1;
        if (access(recordPath(next).c_str(), F_OK) != 0)
            chosen = next;
        ++next;
    }
    bool written = false;
    if (chosen) {
        const std::string tmp = counterPath + ".tmp";
        const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0) {
            written = writeAllToFd(fd, std::to_string(next) + "\n");
            close(fd);
            written = written && rename(tmp.c_str(), counterPath.c_str()) == 0;
        }
    }
    flock(lockFd, LOCK_UN);
    close(lockFd);
    if (!written)
        return std::nullopt;
    return chosen;
}

std::string ConnectionRegistry::serialize(const ConnectionRecord& r)
{
    std::string out;
    out += "handle=" + std::to_string(r.handle) + "\n";
    out += "entry=" + oneLine(r.entryName) + "\n";
    out += std::string("state=") + (r.state == ConnectionRecord::State::Connected ? "connected" : "dialing")
        + "\n";
    out += "interface=" + oneLine(r.interfaceName) + "\n";
    out += "interfaceIndex=" + std::to_string(r.interfaceIndex) + "\n";
    out += "pid=" + std::to_string(r.pid) + "\n";
    out += "pidStart=" + std::to_string(r.pidStartTicks) + "\n";
    out += "started=" + std::to_string(r.startedMs) + "\n";
    out += "backend=" + oneLine(r.backend) + "\n";
    out += std::string("ownsTun=") + (r.ownsTun ? "1" : "0") + "\n";
    out += "owner=" + std::to_string(r.ownerUid) + "\n";
    out += std::string("fullRelay=") + (r.fullRelay ? "1" : "0") + "\n";
    out += std::string("held=") + (r.held ? "1" : "0") + "\n";
    return out;
}

std::optional<ConnectionRecord> ConnectionRegistry::parse(const std::string& text)
{
    ConnectionRecord r;
    bool haveHandle = false;
    bool haveState = false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        bool ok = true;
        if (key == "handle")
            ok = haveHandle = parseNumber(value, r.handle) && r.handle != 0;
        else if (key == "entry")
            r.entryName = value;
        else if (key == "state") {
            haveState = true;
            if (value == "connected")
                r.state = ConnectionRecord::State::Connected;
            else if (value == "dialing")
                r.state = ConnectionRecord::State::Dialing;
            else
                ok = false;
        } else if (key == "interface")
            r.interfaceName = value;
        else if (key == "interfaceIndex")
            ok = parseNumber(value, r.interfaceIndex);
        else if (key == "pid")
            ok = parseNumber(value, r.pid);
        else if (key == "pidStart")
            ok = parseNumber(value, r.pidStartTicks);
        else if (key == "started")
            ok = parseNumber(value, r.startedMs);
        else if (key == "backend")
            r.backend = value;
        else if (key == "ownsTun")
            r.ownsTun = value == "1";
        else if (key == "owner")
            ok = parseNumber(value, r.ownerUid);
        else if (key == "fullRelay")
            r.fullRelay = value == "1";
        else if (key == "held")
            r.held = value == "1";
        if (!ok)
            return std::nullopt;
    }
    if (!haveHandle || !haveState)
        return std::nullopt;
    return r;
}

bool ConnectionRegistry::write(const ConnectionRecord& record) const
{
    if (record.handle == 0 || !ensureDirectory())
        return false;
    const std::string tmp = dir_ + ".tmp-" + std::to_string(record.handle) + "-" + std::to_string(getpid());
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok = writeAllToFd(fd, serialize(record));
    close(fd);
    if (!ok || rename(tmp.c_str(), recordPath(record.handle).c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

std::optional<ConnectionRecord> ConnectionRegistry::read(ConnectionHandle handle) const
{
    if (handle == 0)
        return std::nullopt;
    bool ok = false;
    const std::string text = readWholeFile(recordPath(handle), ok);
    if (!ok)
        return std::nullopt;
    auto record = parse(text);
    if (!record || record->handle != handle)
        return std::nullopt;
    return record;
}

std::optional<std::vector<ConnectionRecord>> ConnectionRegistry::list() const
{
    std::vector<ConnectionRecord> out;
    DIR* d = opendir(dir_.c_str());
    if (!d) {
        if (errno == ENOENT)
            return out;
        return std::nullopt;
    }
    const std::string_view prefix(kRecordPrefix);
    std::vector<ConnectionHandle> handles;
    while (dirent* e = readdir(d)) {
        const std::string_view name(e->d_name);
        ConnectionHandle h = 0;
        if (name.substr(0, prefix.size()) == prefix && parseNumber(name.substr(prefix.size()), h) && h != 0)
            handles.push_back(h);
    }
    closedir(d);
    std::sort(handles.begin(), handles.end());
    for (ConnectionHandle h : handles) {
        // A record hung up meanwhile is simply no longer there.
        if (auto r = read(h))
            out.push_back(std::move(*r));
    }
    return out;
}

bool ConnectionRegistry::remove(ConnectionHandle handle) const
{
    return handle != 0 && unlink(recordPath(handle).c_str()) == 0;
}

std::uint64_t ConnectionRegistry::processStartTicks(int pid)
{
    if (pid <= 0)
        return 0;
    bool ok = false;
    const std::string stat = readWholeFile("/proc/" + std::to_string(pid) + "/stat", ok);
    // "pid (comm) state ppid ..."; comm may hold spaces and parentheses.
    const auto close = stat.rfind(')');
    if (!ok || close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    std::uint64_t ticks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 3 && (field == "Z" || field == "X"))
            return 0;
        if (i == 22 && !parseNumber(field, ticks))
            return 0;
    }
    return ticks;
}

bool ConnectionRegistry::processAlive(int pid, std::uint64_t startTicks)
{
    const std::uint64_t now = processStartTicks(pid);
    return now != 0 && (startTicks == 0 || now == startTicks);
}

bool ConnectionRegistry::interfaceExists(const std::string& name, int index)
{
    if (name.empty())
        return false;
    const unsigned found = if_nametoindex(name.c_str());
    return found != 0 && (index <= 0 || found == static_cast<unsigned>(index));
}

bool ConnectionRegistry::isLive(const ConnectionRecord& r)
{
    if (r.pid > 0 && !processAlive(r.pid, r.pidStartTicks))
        return false;
    if (r.state == ConnectionRecord::State::Dialing)
        return r.pid > 0;
    return interfaceExists(r.interfaceName, r.interfaceIndex);
}

} // namespace platform
