#pragma once

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/linux/connection_registry.h"
#include "platform/linux/rasd_protocol.h"

// The remote-access service: runs as root, owns the connection registry and
// the backends, and serves its callers over a local socket, each known by its
// socket credentials. One thread; dials and hang-ups run in child processes
// so that no caller waits for another.
struct ServiceOptions {
    std::string socketPath = platform::rasd::kSocketPath;
    // Members of this group (and root) may call; without one, root only.
    std::optional<gid_t> group;
    std::string configPath = "/etc/zavtrel/rasd.ini";
    std::string registryDir = "/run/zavtrel/registry/";
    // How long a user's links that a client held outlive that user's last
    // client.
    std::chrono::milliseconds orphanGrace { 10000 };
    std::size_t maxClients = 64;
    std::size_t maxDialsPerUser = 2;
    std::size_t maxConnectionsPerUser = 16;
    // Requests per user: a burst, then so many a second.
    double requestBurst = 100;
    double requestsPerSecond = 50;
    // A listening socket handed over by the service manager, or -1.
    int inheritedSocket = -1;
};

class Service {
public:
    explicit Service(ServiceOptions options);
    ~Service();
    // Serves until SIGTERM or SIGINT, then hangs up every link it holds.
    // The exit status.
    int run();

private:
    using Clock = std::chrono::steady_clock;
    struct Peer {
        int fd = -1;
        uid_t uid = 0;
        bool allowed = false;
        bool attached = false;
        bool busy = false; // a job answers its current request
        platform::rasd::FrameReader reader;
        std::string out;
        bool closeAfterWrite = false;
    };
    struct Job {
        int pipe = -1;
        int peer = -1; // fd of the peer waiting for the reply, or -1
        uid_t uid = 0;
        bool dial = false;
        platform::ConnectionHandle dialHandle = 0;
        std::vector<platform::ConnectionHandle> ending; // handles it hangs up
        std::string reply;
        bool exited = false;
    };
    struct Bucket {
        double tokens = 0;
        Clock::time_point last {};
    };

    bool listen();
    void acceptPeer();
    void readPeer(Peer& peer);
    void writePeer(Peer& peer);
    void closePeer(int fd);
    void handleFrames(Peer& peer);
    void reply(Peer& peer, const platform::rasd::Message& message);
    platform::rasd::Message handle(Peer& peer, const platform::rasd::Message& request);

    platform::rasd::Message list(const Peer& peer);
    platform::rasd::Message status(const Peer& peer, const platform::rasd::Message& request, bool statistics);
    platform::rasd::Message routes(const Peer& peer, const platform::rasd::Message& request);
    platform::rasd::Message dial(Peer& peer, const platform::rasd::Message& request);
    platform::rasd::Message hangUp(Peer& peer, const std::vector<platform::ConnectionRecord>& records);

    std::vector<platform::ConnectionRecord> recordsOf(uid_t uid) const;
    std::optional<platform::ConnectionRecord> ownRecord(
        uid_t uid, const platform::rasd::Message& request) const;
    bool allowRequest(uid_t uid);
    std::size_t dialsOf(uid_t uid) const;

    // Runs work in a child process; what it returns is the reply to peerFd.
    template <typename Work>
    bool startJob(
        int peerFd, uid_t uid, bool dial, std::vector<platform::ConnectionHandle> ending, Work work);
    void readJob(pid_t pid, Job& job);
    void reapChildren();
    void finishJob(pid_t pid);
    void hangUpOrphans();
    void detach(uid_t uid);
    bool beingEnded(platform::ConnectionHandle handle) const;
    void shutdown();

    ServiceOptions options_;
    platform::ConnectionRegistry registry_;
    int listenFd_ = -1;
    std::map<int, Peer> peers_;
    std::map<pid_t, Job> jobs_;
    std::map<uid_t, int> attachedClients_;
    std::map<uid_t, Clock::time_point> detachedSince_;
    std::map<uid_t, Bucket> buckets_;
    Clock::time_point started_;
};
