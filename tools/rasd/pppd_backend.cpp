#include "tools/rasd/pppd_backend.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <net/if.h>
#include <optional>
#include <netinet/in.h>
#include <spawn.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/linux/argv_pointers.h"
#include "tools/rasd/pppd_options.h"
#include "tools/rasd/ras_error.h"
#include "tools/rasd/termination.h"

extern char** environ;

namespace {

using platform::ConnectionRecord;
using platform::ConnectionRegistry;

bool writePrivateFile(const std::string& path, const std::string& content)
{
    unlink(path.c_str());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            close(fd);
            unlink(path.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    return true;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Standard input from /dev/null, output and errors appended to the log.
pid_t spawnLogged(const std::vector<std::string>& argv, const std::string& logPath)
{
    std::vector<char*> args = platform::argvPointers(argv);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(
        &actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Reaps pid if it has ended; the status in wait(2) form.
bool ended(pid_t pid, int& status)
{
    pid_t r;
    do {
        r = waitpid(pid, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    return r == pid;
}

void stopChild(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 300; ++i) {
        if (ended(pid, status))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
}

// Up, with an IPv4 address: the network protocol has come up.
bool interfaceReady(const std::string& name)
{
    const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return false;
    ifreq ifr {};
    std::strncpy(ifr.ifr_name, name.c_str(), IFNAMSIZ - 1);
    bool ok = ioctl(sock, SIOCGIFFLAGS, &ifr) == 0 && (ifr.ifr_flags & IFF_UP);
    ok = ok && ioctl(sock, SIOCGIFADDR, &ifr) == 0;
    close(sock);
    return ok;
}

} // namespace

DialOutcome PppdBackend::dial(const DialRequest& request)
{
    const auto server = pppd::canonicalIpv4(request.phone);
    if (!server)
        return DialOutcome::failed(ras::kServerNameNotResolved);
    const auto protocols = pppd::protocolsFor(request.phonebook.vpnStrategy);
    if (protocols.empty())
        return DialOutcome::failed(ras::kRasmanCannotInitialize);

    // The answer is the first failure that came from the server's side; a
    // protocol this machine cannot dial at all (711) only counts when no
    // other answer came.
    std::optional<DialOutcome> answer;
    DialOutcome last = DialOutcome::failed(ras::kRasmanCannotInitialize);
    for (const auto protocol : protocols) {
        last = protocol == pppd::Protocol::Pptp ? dialPptp(request, *server) : dialL2tp(request, *server);
        if (last.kind != DialOutcome::Kind::Failed)
            return last;
        registry_.remove(request.handle);
        const int code = last.errors.empty() ? 0 : last.errors.front();
        if (!answer && code != ras::kRasmanCannotInitialize)
            answer = last;
        // A refused account stays refused over the other protocol.
        if (code == ras::kAuthenticationFailure || code == ras::kRestrictedLogonHours
            || code == ras::kAccountDisabled)
            break;
    }
    return answer ? *answer : last;
}

bool PppdBackend::readLinkPidFile(const std::string& linkName, int& pid, std::string& interfaceName) const
{
    std::istringstream in(readText(config_.pppdRunDir + "ppp-" + linkName + ".pid"));
    std::string pidText;
    if (!(in >> pidText >> interfaceName))
        return false;
    try {
        pid = std::stoi(pidText);
    } catch (...) {
        return false;
    }
    return pid > 0 && !interfaceName.empty();
}

bool PppdBackend::recordConnected(const DialRequest& request, int pid, const std::string& interfaceName) const
{
    ConnectionRecord r = request.record();
    r.state = ConnectionRecord::State::Connected;
    r.interfaceName = interfaceName;
    r.interfaceIndex = static_cast<int>(if_nametoindex(interfaceName.c_str()));
    r.pid = pid;
    r.pidStartTicks = ConnectionRegistry::processStartTicks(pid);
    r.startedMs = platform::SystemClock().steadyMilliseconds();
    r.backend = "pppd";
    return r.interfaceIndex > 0 && r.pidStartTicks != 0 && registry_.write(r);
}

namespace {

bool writeDialingRecord(const ConnectionRegistry& registry, const DialRequest& request, pid_t pid)
{
    ConnectionRecord r = request.record();
    r.state = ConnectionRecord::State::Dialing;
    r.pid = pid;
    r.pidStartTicks = ConnectionRegistry::processStartTicks(pid);
    r.startedMs = platform::SystemClock().steadyMilliseconds();
    r.backend = "pppd";
    return registry.write(r);
}

} // namespace

DialOutcome PppdBackend::dialPptp(const DialRequest& request, const std::string& server)
{
    const std::string dir = registry_.directory();
    const std::string handle = std::to_string(request.handle);
    const std::string linkName = "zavtrel-" + handle;
    const std::string logPath = dir + "pppd-" + handle + ".log";
    const std::string credentials = dir + ".credentials-" + handle;
    unlink(logPath.c_str());

    pppd::PptpCommand command { config_.pppdProgram, config_.pptpProgram, server, credentials, linkName,
        logPath };
    const auto argv = pppd::pptpArguments(command, request.phonebook);
    if (!argv || !writePrivateFile(credentials, pppd::credentialsFile(request.user, request.password)))
        return DialOutcome::failed(ras::kRasmanCannotInitialize);
    const pid_t pid = spawnLogged(*argv, logPath);
    if (pid < 0) {
        unlink(credentials.c_str());
        return DialOutcome::failed(ras::kRasmanCannotInitialize);
    }
    writeDialingRecord(registry_, request, pid);

    int status = 0;
    while (!ended(pid, status)) {
        if (terminationRequested()) {
            stopChild(pid);
            unlink(credentials.c_str());
            registry_.remove(request.handle);
            return DialOutcome::terminated();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    unlink(credentials.c_str());
    if (WIFSIGNALED(status))
        return DialOutcome::failed(ras::kUserDisconnection);
    const int code = pppd::errorForExitStatus(WEXITSTATUS(status), readText(logPath));
    if (code != 0)
        return DialOutcome::failed(code);

    // Detached: the daemon's pid and interface come from its pid file.
    int daemonPid = 0;
    std::string interfaceName;
    for (int i = 0; i < 60 && !readLinkPidFile(linkName, daemonPid, interfaceName); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (daemonPid <= 0 || !recordConnected(request, daemonPid, interfaceName)) {
        if (daemonPid > 0)
            kill(daemonPid, SIGTERM);
        return DialOutcome::failed(ras::kPppNoProtocolsConfigured);
    }
    unlink(logPath.c_str());
    return DialOutcome::connected();
}

DialOutcome PppdBackend::dialL2tp(const DialRequest& request, const std::string& server)
{
    const std::string dir = registry_.directory();
    const std::string handle = std::to_string(request.handle);
    const std::string linkName = "zavtrel-" + handle;
    const std::string logPath = dir + "pppd-" + handle + ".log";
    const std::string work = dir + ".l2tp-" + handle + "/";
    std::error_code ec;
    std::filesystem::remove_all(work, ec);
    if (mkdir(work.c_str(), 0700) != 0)
        return DialOutcome::failed(ras::kRasmanCannotInitialize);
    const auto cleanUp = [&] { std::filesystem::remove_all(work, ec); };
    unlink(logPath.c_str());

    const std::string options = work + "options";
    const std::string conf = work + "xl2tpd.conf";
    if (!writePrivateFile(options,
            pppd::l2tpPppOptions(request.user, request.password, request.phonebook, linkName, logPath))
        || !writePrivateFile(conf, pppd::xl2tpdConfig(server, options))) {
        cleanUp();
        return DialOutcome::failed(ras::kRasmanCannotInitialize);
    }
    const pid_t pid = spawnLogged(
        pppd::xl2tpdArguments(config_.xl2tpdProgram, conf, work + "xl2tpd.pid", work + "control"), logPath);
    if (pid < 0) {
        cleanUp();
        return DialOutcome::failed(ras::kRasmanCannotInitialize);
    }
    writeDialingRecord(registry_, request, pid);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(config_.l2tpTimeoutSeconds);
    int status = 0;
    int pppdPid = 0; // the call's pppd, once it has an interface
    for (;;) {
        if (terminationRequested()) {
            stopChild(pid);
            cleanUp();
            registry_.remove(request.handle);
            return DialOutcome::terminated();
        }
        if (ended(pid, status)) {
            cleanUp();
            return DialOutcome::failed(
                pppd::errorForL2tpLog(readText(logPath), ras::kPppNoProtocolsConfigured));
        }
        int linkPid = 0;
        std::string interfaceName;
        const bool linked = readLinkPidFile(linkName, linkPid, interfaceName);
        if (linked && interfaceReady(interfaceName)) {
            // xl2tpd holds the tunnel and ends its pppd when it is told to stop.
            cleanUp();
            if (!recordConnected(request, pid, interfaceName)) {
                stopChild(pid);
                return DialOutcome::failed(ras::kPppNoProtocolsConfigured);
            }
            unlink(logPath.c_str());
            return DialOutcome::connected();
        }
        // xl2tpd keeps running when its pppd has ended, the server has cleared
        // the call or the tunnel has failed (redial = no): those are the answer,
        // not xl2tpd's end or the timeout. pppd writes its link pid file when it
        // has an interface and removes it when it ends; xl2tpd logs pppd's exit
        // code only while the call still exists, and "Terminating pppd" when the
        // call has been cleared, possibly before pppd has an interface.
        if (linked)
            pppdPid = linkPid;
        std::string log = readText(logPath);
        int code = pppd::xl2tpdPppdExitCode(log);
        const bool pppdGone = pppdPid > 0 && (!linked || kill(pppdPid, 0) != 0);
        const bool callCleared = log.find("Terminating pppd: sending TERM signal") != std::string::npos;
        if (code >= 0 || pppdGone || callCleared) {
            if (code < 0) {
                // Let pppd write its last lines and xl2tpd reap it.
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                log = readText(logPath);
                code = pppd::xl2tpdPppdExitCode(log);
            }
            stopChild(pid);
            cleanUp();
            return DialOutcome::failed(pppd::errorForL2tpPppdEnd(code, log));
        }
        if (log.find("Maximum retries exceeded for tunnel") != std::string::npos) {
            stopChild(pid);
            cleanUp();
            return DialOutcome::failed(ras::kVpnConnectionFailed);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            stopChild(pid);
            cleanUp();
            return DialOutcome::failed(pppd::errorForL2tpLog(readText(logPath), ras::kVpnConnectionFailed));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}
