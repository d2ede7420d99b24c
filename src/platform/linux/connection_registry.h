#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/remote_access.h"
#include "platform/system_paths.h"

namespace platform {

// One active remote-access connection as the dial tool left it.
struct ConnectionRecord {
    enum class State { Dialing, Connected };

    ConnectionHandle handle = 0;
    std::string entryName;
    State state = State::Dialing;
    std::string interfaceName; // empty until the link is up
    int interfaceIndex = 0; // tells the interface from a later one of the same name
    int pid = 0; // process that holds the link; 0 for none
    // Start time of that process (clock ticks since boot, /proc/PID/stat), so
    // that a recycled pid is not taken for the holder.
    std::uint64_t pidStartTicks = 0;
    std::int64_t startedMs = 0; // steady clock, shared by all processes of one boot
    std::string backend; // "simulate", "pppd", ...
    bool ownsTun = false; // a persistent TUN that hang-up removes if its holder did not
    // The user that dialled it; -1 for none known. Only this user sees it.
    int ownerUid = -1;
    bool fullRelay = false; // the tunnel may carry the default route
    // Dialled while the owner had a client attached: it ends when the owner's
    // last client has gone for good.
    bool held = false;
};

// The connections of one user session: a directory with one small record
// file per connection, shared by the dial tool and the client. Writes replace
// a record atomically, so readers never see half of one.
class ConnectionRegistry {
public:
    // directory ends in "/".
    explicit ConnectionRegistry(std::string directory);
    // "<runtime dir>zavtrel-ras/".
    static std::string defaultDirectory(const SystemPaths& paths);

    const std::string& directory() const { return dir_; }
    // Creates the directory (owner only) when it is missing.
    bool ensureDirectory() const;

    // A non-zero handle that no record of this directory has had before
    // (counter under a lock); nothing when the directory is unusable.
    std::optional<ConnectionHandle> allocateHandle() const;
    bool write(const ConnectionRecord& record) const;
    std::optional<ConnectionRecord> read(ConnectionHandle handle) const;
    // Every record, oldest handle first; nothing when the directory exists
    // but cannot be read.
    std::optional<std::vector<ConnectionRecord>> list() const;
    bool remove(ConnectionHandle handle) const;
    std::string recordPath(ConnectionHandle handle) const;

    // Whether the link of a record is still there: its holder process runs
    // (zombies count as gone) and, once connected, its interface exists in
    // this network namespace.
    static bool isLive(const ConnectionRecord& record);
    static bool processAlive(int pid, std::uint64_t startTicks);
    // 0 when the process does not exist or is a zombie.
    static std::uint64_t processStartTicks(int pid);
    // With index > 0 the interface must still have that index.
    static bool interfaceExists(const std::string& name, int index = 0);

    static std::string serialize(const ConnectionRecord& record);
    static std::optional<ConnectionRecord> parse(const std::string& text);

private:
    std::string dir_;
};

} // namespace platform
