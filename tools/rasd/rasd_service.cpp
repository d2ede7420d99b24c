#include "tools/rasd/rasd_service.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/ascii.h"
#include "platform/linux/fd_write.h"
#include "platform/linux/netlink_route_table.h"
#include "platform/linux/registry_remote_access.h"
#include "tools/rasd/backend_config.h"
#include "tools/rasd/dial_outcome.h"
#include "tools/rasd/dial_scenario.h"
#include "tools/rasd/phonebook_entry.h"
#include "tools/rasd/pppd_backend.h"
#include "tools/rasd/ras_error.h"
#include "tools/rasd/request_policy.h"
#include "tools/rasd/simulate_backend.h"
#include "tools/rasd/termination.h"

using platform::ConnectionHandle;
using platform::ConnectionRecord;
using platform::rasd::FrameReader;
using platform::rasd::Message;

namespace {

int signalPipe[2] = { -1, -1 };

void onSignal(int sig)
{
    const int saved = errno;
    const char c = static_cast<char>(sig);
    [[maybe_unused]] const ssize_t n = write(signalPipe[1], &c, 1);
    errno = saved;
}

void log(const std::string& line)
{
    std::fprintf(stderr, "zavtrel-rasd: %s\n", line.c_str());
}

Message errorReply(int code)
{
    return Message::error(code, ras::errorText(code));
}

bool memberOf(int fd, uid_t uid, gid_t gid, std::optional<gid_t> group)
{
    if (uid == 0)
        return true;
    if (!group)
        return false;
    if (gid == *group)
        return true;
    std::vector<gid_t> groups(64);
    socklen_t len = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
    if (getsockopt(fd, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &len) != 0) {
        if (errno != ERANGE)
            return false;
        groups.resize(len / sizeof(gid_t) + 1);
        if (getsockopt(fd, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &len) != 0)
            return false;
    }
    groups.resize(len / sizeof(gid_t));
    return std::find(groups.begin(), groups.end(), *group) != groups.end();
}

Message outcomeReply(const DialOutcome& outcome)
{
    Message m = Message::ok();
    switch (outcome.kind) {
    case DialOutcome::Kind::Connected:
        m.add("kind", "connected");
        break;
    case DialOutcome::Kind::Failed:
        m.add("kind", "failed");
        break;
    case DialOutcome::Kind::Raw:
        m.add("kind", "raw");
        break;
    case DialOutcome::Kind::Terminated:
        m.add("kind", "terminated");
        break;
    }
    for (int code : outcome.errors)
        m.add("error", code);
    if (outcome.hasText || outcome.kind == DialOutcome::Kind::Raw)
        m.add("text", outcome.text);
    m.add("exit", outcome.exitCode);
    return m;
}

} // namespace

Service::Service(ServiceOptions options)
    : options_(std::move(options))
    , registry_(options_.registryDir)
    , started_(Clock::now())
{
}

Service::~Service()
{
    for (auto& [fd, peer] : peers_)
        close(fd);
    if (listenFd_ >= 0)
        close(listenFd_);
}

bool Service::listen()
{
    if (options_.inheritedSocket >= 0) {
        listenFd_ = options_.inheritedSocket;
        fcntl(listenFd_, F_SETFD, FD_CLOEXEC);
        fcntl(listenFd_, F_SETFL, fcntl(listenFd_, F_GETFL) | O_NONBLOCK);
        return true;
    }
    const std::string& path = options_.socketPath;
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        log("socket path too long: " + path);
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const std::string dir = path.substr(0, path.rfind('/'));
    if (!dir.empty())
        mkdir(dir.c_str(), 0755);
    struct stat st { };
    if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
        unlink(path.c_str());
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // Not reachable by anyone until its owner and mode are right.
    const mode_t oldMask = umask(0177);
    const bool bound
        = listenFd_ >= 0 && bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    umask(oldMask);
    if (!bound || chown(path.c_str(), 0, options_.group.value_or(0)) != 0
        || chmod(path.c_str(), options_.group ? 0660 : 0600) != 0 || ::listen(listenFd_, 64) != 0) {
        log("cannot listen on " + path + ": " + std::strerror(errno));
        return false;
    }
    return true;
}

int Service::run()
{
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    struct sigaction sa { };
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : { SIGTERM, SIGINT, SIGHUP, SIGCHLD })
        sigaction(sig, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    umask(0022);
    // The registry's parent (/run/zavtrel) may not exist yet after a boot.
    const std::string& dir = options_.registryDir;
    for (std::size_t slash = dir.find('/', 1); slash != std::string::npos && slash + 1 < dir.size();
         slash = dir.find('/', slash + 1))
        mkdir(dir.substr(0, slash).c_str(), 0755);
    if (!registry_.ensureDirectory()) {
        log("cannot make the registry " + dir + ": " + std::strerror(errno));
        return 1;
    }
    if (!listen())
        return 1;
    log("listening on " + options_.socketPath);

    bool stop = false;
    while (!stop) {
        std::vector<pollfd> fds;
        fds.push_back({ signalPipe[0], POLLIN, 0 });
        fds.push_back({ listenFd_, POLLIN, 0 });
        for (const auto& [fd, peer] : peers_) {
            short events = POLLIN;
            if (!peer.out.empty())
                events |= POLLOUT;
            fds.push_back({ fd, events, 0 });
        }
        for (const auto& [pid, job] : jobs_)
            if (job.pipe >= 0)
                fds.push_back({ job.pipe, POLLIN, 0 });
        if (poll(fds.data(), fds.size(), 500) < 0 && errno != EINTR)
            break;

        for (const auto& p : fds) {
            if (p.revents == 0)
                continue;
            if (p.fd == signalPipe[0]) {
                char sig = 0;
                while (read(signalPipe[0], &sig, 1) == 1)
                    if (sig != SIGCHLD && sig != SIGHUP)
                        stop = true;
            } else if (p.fd == listenFd_) {
                acceptPeer();
            } else if (auto it = peers_.find(p.fd); it != peers_.end()) {
                if (p.revents & POLLOUT)
                    writePeer(it->second);
                if (peers_.count(p.fd) && (p.revents & (POLLIN | POLLHUP | POLLERR)))
                    readPeer(peers_.at(p.fd));
            } else {
                const auto job = std::find_if(
                    jobs_.begin(), jobs_.end(), [&p](const auto& j) { return j.second.pipe == p.fd; });
                if (job != jobs_.end())
                    readJob(job->first, job->second);
            }
        }
        reapChildren();
        hangUpOrphans();
    }
    shutdown();
    return 0;
}

void Service::acceptPeer()
{
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        if (peers_.size() >= options_.maxClients) {
            close(fd);
            continue;
        }
        ucred cred {};
        socklen_t len = sizeof cred;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) {
            close(fd);
            continue;
        }
        Peer peer;
        peer.fd = fd;
        peer.uid = cred.uid;
        peer.allowed = memberOf(fd, cred.uid, cred.gid, options_.group);
        peers_.emplace(fd, std::move(peer));
    }
}

void Service::readPeer(Peer& peer)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = recv(peer.fd, buf, sizeof buf, 0);
        if (n > 0) {
            peer.reader.feed(std::string_view(buf, static_cast<std::size_t>(n)));
            // A caller may queue requests behind a running one, but not without end.
            if (peer.reader.buffered() > platform::rasd::kMaxFrameBytes + 4 && peer.busy) {
                closePeer(peer.fd);
                return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        closePeer(peer.fd); // the caller went away (or broke the connection)
        return;
    }
    handleFrames(peer);
}

void Service::handleFrames(Peer& peer)
{
    const int fd = peer.fd;
    std::string body;
    while (peers_.count(fd) && !peer.busy && !peer.closeAfterWrite) {
        const auto r = peer.reader.next(body);
        if (r == FrameReader::Result::NeedMore)
            break;
        if (r == FrameReader::Result::TooLarge) {
            peer.closeAfterWrite = true;
            reply(peer, errorReply(ras::kInvalidParameter));
            return;
        }
        if (!peer.allowed) {
            log("refused uid " + std::to_string(peer.uid) + ": not a member of the group");
            peer.closeAfterWrite = true;
            reply(peer, errorReply(ras::kRasmanCannotInitialize));
            return;
        }
        const auto request = Message::decode(body);
        if (!request) {
            reply(peer, errorReply(ras::kInvalidParameter));
            continue;
        }
        if (!allowRequest(peer.uid)) {
            reply(peer, errorReply(ras::kBusy));
            continue;
        }
        Message answer = handle(peer, *request);
        if (!peer.busy)
            reply(peer, answer);
    }
}

void Service::reply(Peer& peer, const Message& message)
{
    peer.out += platform::rasd::frame(message);
    // A caller that does not read its replies is not buffered for without end.
    if (peer.out.size() > 4 * platform::rasd::kMaxFrameBytes) {
        closePeer(peer.fd);
        return;
    }
    writePeer(peer);
}

void Service::writePeer(Peer& peer)
{
    while (!peer.out.empty()) {
        const ssize_t n = send(peer.fd, peer.out.data(), peer.out.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            closePeer(peer.fd);
            return;
        }
        peer.out.erase(0, static_cast<std::size_t>(n));
    }
    if (peer.closeAfterWrite)
        closePeer(peer.fd);
}

void Service::closePeer(int fd)
{
    const auto it = peers_.find(fd);
    if (it == peers_.end())
        return;
    // A dial whose caller left is stopped: nobody would learn its outcome.
    for (auto& [pid, job] : jobs_) {
        if (job.peer != fd)
            continue;
        job.peer = -1;
        if (job.dial) {
            kill(pid, SIGTERM);
            job.ending.push_back(job.dialHandle); // a new dial of it need not wait
        }
    }
    if (it->second.attached)
        detach(it->second.uid);
    close(fd);
    peers_.erase(it);
}

void Service::detach(uid_t uid)
{
    if (--attachedClients_[uid] <= 0) {
        attachedClients_.erase(uid);
        detachedSince_[uid] = Clock::now();
    }
}

bool Service::allowRequest(uid_t uid)
{
    Bucket& b = buckets_[uid];
    const auto now = Clock::now();
    if (b.last == Clock::time_point {})
        b.tokens = options_.requestBurst;
    else
        b.tokens = std::min(options_.requestBurst,
            b.tokens + std::chrono::duration<double>(now - b.last).count() * options_.requestsPerSecond);
    b.last = now;
    if (b.tokens < 1)
        return false;
    b.tokens -= 1;
    return true;
}

Message Service::handle(Peer& peer, const Message& request)
{
    const std::string op = request.get("op");
    if (op == "attach") {
        if (!peer.attached) {
            peer.attached = true;
            ++attachedClients_[peer.uid];
        }
        return Message::ok();
    }
    if (op == "list")
        return list(peer);
    if (op == "status")
        return status(peer, request, false);
    if (op == "statistics")
        return status(peer, request, true);
    if (op == "routes")
        return routes(peer, request);
    if (op == "dial")
        return dial(peer, request);
    if (op == "hangup") {
        const auto r = ownRecord(peer.uid, request);
        if (!r)
            return errorReply(ras::kInvalidHandle);
        return hangUp(peer, { *r });
    }
    if (op == "disconnect") {
        const std::string entry = request.get("entry");
        std::vector<ConnectionRecord> chosen;
        for (const auto& r : recordsOf(peer.uid))
            if (entry.empty() || equalsIgnoringAsciiCase(r.entryName, entry))
                chosen.push_back(r);
        return hangUp(peer, chosen);
    }
    return errorReply(ras::kInvalidParameter);
}

std::vector<ConnectionRecord> Service::recordsOf(uid_t uid) const
{
    std::vector<ConnectionRecord> out;
    if (const auto all = registry_.list())
        for (const auto& r : *all)
            if (r.ownerUid == static_cast<int>(uid))
                out.push_back(r);
    return out;
}

std::optional<ConnectionRecord> Service::ownRecord(uid_t uid, const Message& request) const
{
    const auto handle = request.getInt("handle");
    if (!handle || *handle <= 0)
        return std::nullopt;
    auto r = registry_.read(static_cast<ConnectionHandle>(*handle));
    if (!r || r->ownerUid != static_cast<int>(uid))
        return std::nullopt;
    return r;
}

Message Service::list(const Peer& peer)
{
    if (!registry_.list())
        return errorReply(ras::kRasmanCannotInitialize);
    Message m = Message::ok();
    for (const auto& r : recordsOf(peer.uid))
        m.add("handle", static_cast<long long>(r.handle)).add("entry", r.entryName);
    return m;
}

Message Service::status(const Peer& peer, const Message& request, bool statistics)
{
    const auto r = ownRecord(peer.uid, request);
    if (!r)
        return errorReply(ras::kInvalidHandle);
    platform::RegistryRemoteAccess view(registry_, std::make_shared<platform::SystemClock>());
    Message m = Message::ok();
    if (!statistics) {
        // A link being hung up is gone for its owner already.
        const auto state = beingEnded(r->handle) ? std::optional<int>(platform::RemoteAccess::kDisconnected)
                                                 : view.connectionStatus(r->handle);
        if (!state)
            return errorReply(ras::kInvalidHandle);
        return m.add("state", *state);
    }
    const auto s = view.statistics(r->handle);
    if (!s)
        return errorReply(ras::kInvalidHandle);
    return m.add("sent", s->bytesSent)
        .add("received", s->bytesReceived)
        .add("duration", static_cast<long long>(s->durationMs));
}

Message Service::routes(const Peer& peer, const Message& request)
{
    // The caller's own tunnels that are up, by interface index.
    std::map<int, bool> tunnels; // index -> full relay
    for (const auto& r : recordsOf(peer.uid))
        if (r.state == ConnectionRecord::State::Connected && r.interfaceIndex > 0
            && platform::ConnectionRegistry::isLive(r) && !beingEnded(r.handle))
            tunnels[r.interfaceIndex] = r.fullRelay;
    std::vector<platform::Ipv4Route> routes;
    for (const std::string& line : request.all("r")) {
        const auto route = request_policy::parseRoute(line);
        if (!route)
            return Message::error(ras::kInvalidParameter, "bad route: " + line.substr(0, 64));
        const auto tunnel = tunnels.find(route->interfaceIndex);
        if (tunnel == tunnels.end())
            return Message::error(ras::kAccessDenied, "not a tunnel of yours: " + line.substr(0, 64));
        if (!request_policy::routeAllowed(*route, tunnel->second))
            return Message::error(ras::kInvalidParameter, "route not allowed: " + line.substr(0, 64));
        platform::Ipv4Route r;
        r.destination = route->destination;
        r.mask = route->prefix == 0 ? 0 : htonl(~std::uint32_t(0) << (32 - route->prefix));
        r.interfaceIndex = route->interfaceIndex;
        r.metric = route->metric;
        r.direct = true;
        routes.push_back(r);
    }
    const auto result = platform::NetlinkRouteTable().addRoutes(routes);
    return Message::ok()
        .add("added", static_cast<long long>(result.added))
        .add("refused", static_cast<long long>(result.refused));
}

std::size_t Service::dialsOf(uid_t uid) const
{
    return static_cast<std::size_t>(std::count_if(
        jobs_.begin(), jobs_.end(), [uid](const auto& j) { return j.second.dial && j.second.uid == uid; }));
}

bool Service::beingEnded(ConnectionHandle handle) const
{
    for (const auto& [pid, job] : jobs_)
        if (std::find(job.ending.begin(), job.ending.end(), handle) != job.ending.end())
            return true;
    return false;
}

Message Service::dial(Peer& peer, const Message& request)
{
    DialRequest d;
    d.entry = request.get("entry");
    d.user = request.get("user");
    d.password = request.get("password");
    d.phone = request.get("phone");
    const std::string phonebook = request.get("phonebook");
    for (int code : { request_policy::checkEntry(d.entry), request_policy::checkUser(d.user),
             request_policy::checkPassword(d.password), request_policy::checkPhone(d.phone),
             request_policy::checkPhonebook(phonebook) })
        if (code != 0)
            return errorReply(code);
    const auto parsed = PhonebookEntry::parse(phonebook, d.entry);
    if (const int* code = std::get_if<int>(&parsed))
        return errorReply(*code);
    d.phonebook = std::get<PhonebookEntry>(parsed);
    if (d.phone.empty())
        d.phone = d.phonebook.phoneNumber;
    if (const int code = request_policy::checkPhone(d.phone))
        return errorReply(code);

    const auto own = recordsOf(peer.uid);
    for (const auto& r : own) {
        if (!equalsIgnoringAsciiCase(r.entryName, d.entry) || beingEnded(r.handle))
            continue;
        if (!platform::ConnectionRegistry::isLive(r)) {
            // A link that dropped and was never hung up; its holder may take
            // seconds to end, which nobody here waits for.
            const platform::ConnectionRegistry registry = registry_;
            startJob(-1, peer.uid, false, { r.handle }, [r, registry]() {
                platform::endConnection(registry, r);
                return Message::ok();
            });
        } else if (r.state == ConnectionRecord::State::Dialing) {
            return errorReply(ras::kDialAlreadyInProgress);
        } else {
            DialOutcome already { DialOutcome::Kind::Raw, {},
                "You are already connected to " + r.entryName + ".\nCommand completed successfully.\n", true,
                0 };
            return outcomeReply(already);
        }
    }
    if (own.size() >= options_.maxConnectionsPerUser || dialsOf(peer.uid) >= options_.maxDialsPerUser)
        return errorReply(ras::kBusy);

    const auto handle = registry_.allocateHandle();
    if (!handle)
        return errorReply(ras::kRasmanCannotInitialize);
    d.handle = *handle;
    d.ownerUid = static_cast<int>(peer.uid);
    d.held = attachedClients_.count(peer.uid) > 0;
    log("dial " + std::to_string(d.handle) + " uid " + std::to_string(peer.uid) + " entry " + d.entry);

    const std::string configPath = options_.configPath;
    const platform::ConnectionRegistry registry = registry_;
    const bool started = startJob(peer.fd, peer.uid, true, {}, [d, configPath, registry]() {
        const BackendConfig config = BackendConfig::load(configPath);
        DialOutcome outcome;
        switch (config.backend) {
        case BackendConfig::Backend::Simulate:
            outcome = SimulateBackend(registry, DialScenario::load(config.scenarioPath)).dial(d);
            break;
        case BackendConfig::Backend::Pppd:
            outcome = PppdBackend(registry, config).dial(d);
            break;
        case BackendConfig::Backend::Unknown:
            outcome = DialOutcome::failed(ras::kRasmanCannotInitialize);
            break;
        }
        if (outcome.kind != DialOutcome::Kind::Connected)
            registry.remove(d.handle);
        return outcomeReply(outcome);
    });
    if (!started) {
        registry_.remove(d.handle);
        return errorReply(ras::kRasmanCannotInitialize);
    }
    for (auto& [pid, job] : jobs_)
        if (job.peer == peer.fd && job.dial)
            job.dialHandle = d.handle;
    return Message::ok();
}

Message Service::hangUp(Peer& peer, const std::vector<ConnectionRecord>& records)
{
    std::vector<ConnectionHandle> handles;
    for (const auto& r : records)
        handles.push_back(r.handle);
    const platform::ConnectionRegistry registry = registry_;
    const bool started = startJob(peer.fd, peer.uid, false, handles, [records, registry]() {
        for (const auto& r : records)
            platform::endConnection(registry, r);
        return Message::ok();
    });
    return started ? Message::ok() : errorReply(ras::kRasmanCannotInitialize);
}

template <typename Work>
bool Service::startJob(int peerFd, uid_t uid, bool dial, std::vector<ConnectionHandle> ending, Work work)
{
    int p[2];
    if (pipe2(p, O_CLOEXEC) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(p[0]);
        close(p[1]);
        return false;
    }
    if (pid == 0) {
        // The child keeps nothing of the service's but its result pipe.
        close(p[0]);
        close(listenFd_);
        close(signalPipe[0]);
        close(signalPipe[1]);
        for (const auto& [fd, peer] : peers_)
            close(fd);
        for (const auto& [jpid, job] : jobs_)
            if (job.pipe >= 0)
                close(job.pipe);
        signal(SIGCHLD, SIG_DFL);
        installTerminationHandlers();
        const Message result = work();
        platform::writeAllToFd(p[1], result.encode());
        _exit(0);
    }
    close(p[1]);
    fcntl(p[0], F_SETFL, fcntl(p[0], F_GETFL) | O_NONBLOCK);
    Job job;
    job.pipe = p[0];
    job.peer = peerFd;
    job.uid = uid;
    job.dial = dial;
    job.ending = std::move(ending);
    jobs_.emplace(pid, std::move(job));
    if (const auto it = peers_.find(peerFd); it != peers_.end())
        it->second.busy = true;
    return true;
}

void Service::readJob(pid_t pid, Job& job)
{
    char buf[16384];
    for (;;) {
        const ssize_t n = read(job.pipe, buf, sizeof buf);
        if (n > 0) {
            if (job.reply.size() < platform::rasd::kMaxFrameBytes)
                job.reply.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            // The result is all there (a link holder may keep a copy of the
            // pipe open, so its end is not waited for).
            close(job.pipe);
            job.pipe = -1;
        }
        break;
    }
    if (job.exited)
        finishJob(pid);
}

void Service::reapChildren()
{
    for (;;) {
        int status = 0;
        const pid_t pid = waitpid(-1, &status, WNOHANG);
        if (pid <= 0)
            return;
        const auto it = jobs_.find(pid);
        if (it == jobs_.end())
            continue;
        it->second.exited = true;
        if (it->second.pipe >= 0)
            readJob(pid, it->second);
        if (jobs_.count(pid))
            finishJob(pid);
    }
}

void Service::finishJob(pid_t pid)
{
    const auto it = jobs_.find(pid);
    if (it == jobs_.end())
        return;
    Job job = std::move(it->second);
    jobs_.erase(it);
    if (job.pipe >= 0)
        close(job.pipe);
    const auto peer = peers_.find(job.peer);
    if (peer == peers_.end())
        return;
    peer->second.busy = false;
    const auto result = Message::decode(job.reply);
    reply(peer->second, result && !job.reply.empty() ? *result : errorReply(ras::kRasmanCannotInitialize));
    if (peers_.count(job.peer))
        handleFrames(peers_.at(job.peer));
}

void Service::hangUpOrphans()
{
    const auto records = registry_.list();
    if (!records)
        return;
    const auto now = Clock::now();
    std::map<uid_t, std::vector<ConnectionRecord>> orphans;
    for (const auto& r : *records) {
        if (!r.held || r.ownerUid < 0 || beingEnded(r.handle))
            continue;
        const auto uid = static_cast<uid_t>(r.ownerUid);
        if (attachedClients_.count(uid))
            continue;
        const auto since = detachedSince_.count(uid) ? detachedSince_.at(uid) : started_;
        if (now - since >= options_.orphanGrace && r.state == ConnectionRecord::State::Connected)
            orphans[uid].push_back(r);
    }
    for (const auto& [uid, list] : orphans) {
        std::vector<ConnectionHandle> handles;
        for (const auto& r : list) {
            handles.push_back(r.handle);
            log("hanging up " + std::to_string(r.handle) + ": no client of uid " + std::to_string(uid)
                + " left");
        }
        const platform::ConnectionRegistry registry = registry_;
        const std::vector<ConnectionRecord> ending = list;
        startJob(-1, uid, false, handles, [ending, registry]() {
            for (const auto& r : ending)
                platform::endConnection(registry, r);
            return Message::ok();
        });
    }
}

void Service::shutdown()
{
    for (const auto& [pid, job] : jobs_)
        kill(pid, SIGTERM);
    for (auto& [pid, job] : jobs_)
        waitpid(pid, nullptr, 0);
    jobs_.clear();
    if (const auto records = registry_.list())
        for (const auto& r : *records)
            platform::endConnection(registry_, r);
    if (options_.inheritedSocket < 0)
        unlink(options_.socketPath.c_str());
    log("stopped");
}
