#include "tools/rasd/simulate_backend.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <linux/if_tun.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/linux/tun_device.h"
#include "tools/rasd/ras_error.h"
#include "tools/rasd/termination.h"

namespace {

// The holder: the one process that keeps the simulated link. Reads and drops
// whatever the system sends into the tunnel, so the counters move and the
// queue never fills.
[[noreturn]] void holdLink(int tunFd, const std::string& recordPath, int dropAfterMs)
{
    setsid();
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        if (devNull > STDERR_FILENO)
            close(devNull);
    }
    // Nothing of the dial tool's caller (its output pipe above all) may stay
    // open here.
    if (tunFd > 3)
        close_range(3, static_cast<unsigned>(tunFd - 1), 0);
    close_range(static_cast<unsigned>(tunFd + 1), ~0U, 0);

    using Clock = std::chrono::steady_clock;
    const auto dropAt = Clock::now() + std::chrono::milliseconds(dropAfterMs);
    auto nextRecordCheck = Clock::now();
    char packet[2048];
    while (!terminationRequested()) {
        if (dropAfterMs > 0 && Clock::now() >= dropAt)
            break;
        if (Clock::now() >= nextRecordCheck) {
            if (access(recordPath.c_str(), F_OK) != 0)
                break;
            nextRecordCheck = Clock::now() + std::chrono::milliseconds(200);
        }
        pollfd p { tunFd, POLLIN, 0 };
        if (poll(&p, 1, 50) > 0 && (p.revents & POLLIN)) {
            while (read(tunFd, packet, sizeof packet) > 0) { }
        }
    }
    ioctl(tunFd, TUNSETPERSIST, 0);
    close(tunFd);
    _exit(0);
}

} // namespace

std::pair<std::string, std::string> SimulateBackend::addressesFor(platform::ConnectionHandle handle)
{
    const unsigned long n = handle % 64516;
    const std::string tail = std::to_string(n / 254 % 256) + "." + std::to_string(n % 254 + 1);
    return { "10.64." + tail, "10.65." + tail };
}

DialOutcome SimulateBackend::dial(const DialRequest& request)
{
    using platform::ConnectionRecord;
    const platform::SystemClock clock;
    if (!scenario_.problem.empty())
        return DialOutcome::failed(ras::kRasmanCannotInitialize);

    ConnectionRecord record = request.record();
    record.state = ConnectionRecord::State::Dialing;
    record.pid = getpid();
    record.pidStartTicks = platform::ConnectionRegistry::processStartTicks(record.pid);
    record.startedMs = clock.steadyMilliseconds();
    record.backend = "simulate";
    if (!registry_.write(record))
        return DialOutcome::failed(ras::kRasmanCannotInitialize);

    if (!sleepUnlessTerminated(scenario_.delayMs)) {
        registry_.remove(request.handle);
        return DialOutcome::terminated();
    }
    if (scenario_.result == DialScenario::Result::Error) {
        registry_.remove(request.handle);
        DialOutcome out { DialOutcome::Kind::Failed, scenario_.errors, {}, false, 1 };
        return out;
    }
    if (scenario_.result == DialScenario::Result::Raw) {
        registry_.remove(request.handle);
        return { DialOutcome::Kind::Raw, {}, scenario_.output, true, scenario_.exitCode };
    }

    auto tun = platform::TunDevice::open(scenario_.interfacePattern, platform::TunDevice::kLinkPpp, true);
    if (!tun) {
        registry_.remove(request.handle);
        return DialOutcome::failed(ras::kRasmanCannotInitialize);
    }
    auto [address, peer] = addressesFor(request.handle);
    if (!scenario_.address.empty())
        address = scenario_.address;
    if (!scenario_.peer.empty())
        peer = scenario_.peer;
    const int flags = fcntl(tun->fd(), F_GETFL);
    if (!tun->configure(address, peer) || fcntl(tun->fd(), F_SETFL, flags | O_NONBLOCK) != 0) {
        ioctl(tun->fd(), TUNSETPERSIST, 0);
        registry_.remove(request.handle);
        return DialOutcome::failed(ras::kRasmanCannotInitialize);
    }

    record.state = ConnectionRecord::State::Connected;
    record.interfaceName = tun->name();
    record.interfaceIndex = tun->index();
    record.ownsTun = true;
    record.startedMs = clock.steadyMilliseconds();
    const std::string recordPath = registry_.recordPath(request.handle);
    const pid_t holder = fork();
    if (holder == 0)
        holdLink(tun->fd(), recordPath, scenario_.dropAfterMs);
    if (holder < 0) {
        ioctl(tun->fd(), TUNSETPERSIST, 0);
        registry_.remove(request.handle);
        return DialOutcome::failed(ras::kRasmanCannotInitialize);
    }
    record.pid = holder;
    record.pidStartTicks = platform::ConnectionRegistry::processStartTicks(holder);
    if (!registry_.write(record)) {
        kill(holder, SIGTERM);
        registry_.remove(request.handle);
        return DialOutcome::failed(ras::kRasmanCannotInitialize);
    }
    DialOutcome out = DialOutcome::connected();
    out.hasText = scenario_.hasOutput;
    out.text = scenario_.output;
    return out;
}
