// Installs an 8,000-line route table through a PPP-type tunnel in a fresh
// network namespace: with the route installer (as shipped, and with RTA_OIF
// per route), with the installer through the remote-access service (as the
// unprivileged client does it, on a tunnel the service dialled), with one
// "ip -batch" (device per route, and through one nexthop
// object like the installer), and with one "ip route add" process per line
// (200 of them, scaled up).
//
// The table: the 3,364 real prefixes of tests/data/cn-routes.tab plus 4,636
// generated ones with the same prefix-length mix (and a few /8 and /9), placed
// at random in public unicast space so that no two overlap, sorted by address
// like a real table. Fixed seed: every run installs the same table.
#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>
#include <ctime>
#include <thread>
#include <vector>

#include "base/event_log.h"
#include "platform/linux/getifaddrs_network_adapters.h"
#include "platform/linux/netlink_route_table.h"
#include "platform/linux/rasd_remote_access.h"
#include "platform/linux/spawn_process_launcher.h"
#include "platform/linux/tun_device.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/kernel_routes.h"
#include "tests/support/net_namespace.h"
#include "core/vpn/route_installer.h"

namespace {

constexpr size_t kLines = 8000;
constexpr size_t kPerProcessSample = 200;
constexpr int kRuns = 9;

struct Prefix {
    std::uint32_t first; // host byte order
    int length;
    std::uint32_t last() const { return first + static_cast<std::uint32_t>((1ull << (32 - length)) - 1); }
};

bool reserved(std::uint32_t a)
{
    const auto in = [a](const char* net, int len) {
        const std::uint32_t n = ntohl(inet_addr(net));
        const std::uint32_t mask = len == 0 ? 0 : ~0u << (32 - len);
        return (a & mask) == n;
    };
    return a >> 24 == 0 || a >> 24 >= 224 || in("10.0.0.0", 8) || in("127.0.0.0", 8) || in("100.64.0.0", 10)
        || in("169.254.0.0", 16) || in("172.16.0.0", 12) || in("192.168.0.0", 16) || in("192.0.2.0", 24)
        || in("198.18.0.0", 15);
}

std::vector<Prefix> makeTable(const std::string& realTable)
{
    std::vector<Prefix> table;
    for (const RouteLine& l : parseRouteTable(realTable))
        table.push_back({ ntohl(l.destination), platform::prefixLength(l.mask) });
    std::vector<int> lengths;
    for (const auto& p : table)
        lengths.push_back(p.length);
    for (int i = 0; i < 4; ++i)
        lengths.push_back(8), lengths.push_back(9), lengths.push_back(9);

    std::mt19937 random(8000);
    std::vector<Prefix> sorted = table;
    const auto byStart = [](const Prefix& a, const Prefix& b) { return a.first < b.first; };
    std::sort(sorted.begin(), sorted.end(), byStart);
    const auto overlaps = [&sorted, &byStart](const Prefix& p) {
        auto it = std::lower_bound(sorted.begin(), sorted.end(), p, byStart);
        if (it != sorted.end() && it->first <= p.last())
            return true;
        return it != sorted.begin() && std::prev(it)->last() >= p.first;
    };
    while (table.size() < kLines) {
        const int length = lengths[random() % lengths.size()];
        const std::uint32_t mask = ~0u << (32 - length);
        const Prefix p { static_cast<std::uint32_t>(random()) & mask, length };
        if (reserved(p.first) || reserved(p.last()) || overlaps(p))
            continue;
        table.push_back(p);
        sorted.insert(std::lower_bound(sorted.begin(), sorted.end(), p, byStart), p);
    }
    std::sort(table.begin(), table.end(), byStart);
    return table;
}

std::string dotted(std::uint32_t hostOrder)
{
    in_addr a { htonl(hostOrder) };
    return inet_ntoa(a);
}

std::string maskOf(int length)
{
    return dotted(length == 0 ? 0 : ~0u << (32 - length));
}

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpuMs(const timeval& user, const timeval& sys)
{
    return (user.tv_sec + sys.tv_sec) * 1e3 + (user.tv_usec + sys.tv_usec) / 1e3;
}

double threadCpuMs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// CPU time (user + system) of the children run so far.
double childrenCpuMs = 0;

int run(const std::vector<std::string>& argv)
{
    const int pid = platform::spawnArgv(argv);
    if (pid < 0)
        return -1;
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    childrenCpuMs += cpuMs(usage.ru_utime, usage.ru_stime);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Sample {
    double wallMs;
    double cpuMs;
};

// User and system time of a running process so far.
double processCpuMs(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string f;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i)
        if (i >= 14)
            ticks += std::stod(f);
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class SilentClock : public platform::Clock {
public:
    platform::LocalDateTime now() const override { return {}; }
    std::int64_t steadyMilliseconds() const override { return 0; }
};

// Runs body in a fresh namespace with a PPP-type tunnel; returns its time in
// ms and checks that the expected number of routes arrived.
Sample timed(
    const char* what, size_t expectRoutes, const std::function<Sample(const platform::TunDevice&)>& body)
{
    Sample ms { -1, -1 };
    const bool made = runInNewNetworkNamespace([&] {
        auto tun = platform::TunDevice::open("ppp%d", platform::TunDevice::kLinkPpp);
        if (!tun || !tun->configure("10.64.0.2", "10.64.0.1"))
            throw std::runtime_error("no PPP-type TUN");
        ms = body(*tun);
        const size_t got = routesWithPriority(999).size();
        if (got != expectRoutes)
            std::fprintf(stderr, "%s: %zu routes instead of %zu\n", what, got, expectRoutes);
    });
    if (!made)
        throw std::runtime_error("cannot make a network namespace (root?)");
    // The kernel dismantles the namespace and its routes in the background;
    // let that finish before the next measurement.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ms;
}

double median(const std::vector<Sample>& samples, double Sample::*field)
{
    std::vector<double> v;
    for (const auto& s : samples)
        v.push_back(s.*field);
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double minimum(const std::vector<Sample>& samples, double Sample::*field)
{
    double m = samples.front().*field;
    for (const auto& s : samples)
        m = std::min(m, s.*field);
    return m;
}

} // namespace

int main()
{
    std::ifstream in(std::string(ZAVTREL_SOURCE_DIR) + "/tests/data/cn-routes.tab", std::ios::binary);
    std::stringstream real;
    real << in.rdbuf();
    const std::vector<Prefix> table = makeTable(real.str());

    TempDir dir;
    std::string tab;
    std::string batch;
    std::vector<std::string> cidrs;
    int lengthCount[33] = {};
    for (const auto& p : table) {
        tab += dotted(p.first) + " " + maskOf(p.length) + "\r\n";
        cidrs.push_back(dotted(p.first) + "/" + std::to_string(p.length));
        ++lengthCount[p.length];
    }
    {
        std::ofstream(dir.file("RouteTabledx.tab"), std::ios::binary) << tab;
    }
    std::printf("table: %zu lines, %zu bytes; prefix lengths:", table.size(), tab.size());
    for (int l = 0; l <= 32; ++l)
        if (lengthCount[l])
            std::printf(" /%d:%d", l, lengthCount[l]);
    std::printf("\n");

    const EventLog log(std::make_shared<SilentClock>(), dir.file("log.txt"));
    const auto installer = [&](bool useNexthops) {
        return [&, useNexthops](const platform::TunDevice&) {
            platform::GetifaddrsNetworkAdapters adapters;
            platform::NetlinkRouteTable routes(useNexthops);
            RouteInstaller ri(adapters, routes);
            const auto start = Clock::now();
            const double cpu = threadCpuMs();
            ri.installRoutes(1, dir.path(), log);
            return Sample { msSince(start), threadCpuMs() - cpu };
        };
    };
    // The service runs in the namespace of the measurement, on a socket of
    // its own, and dials a simulated tunnel that becomes the caller's.
    std::ofstream(dir.file("rasd.ini"), std::ios::binary)
        << "[backend]\r\nname=simulate\r\nscenario=scenario.ini\r\n";
    std::ofstream(dir.file("scenario.ini"), std::ios::binary) << "[scenario]\r\nresult=success\r\n";
    int serviceRun = 0;
    // Kept until the next run, so that its routes are counted before it
    // hangs up.
    std::unique_ptr<ChildProcess> service;
    const auto throughService = [&](const platform::TunDevice&) {
        service.reset();
        const std::string socket = dir.file("rasd-" + std::to_string(++serviceRun) + ".sock");
        service = std::make_unique<ChildProcess>(
            std::vector<std::string> { ZAVTREL_RASD, "--socket", socket, "--config", dir.file("rasd.ini"),
                "--registry", dir.path() + "registry-" + std::to_string(serviceRun) },
            std::map<std::string, std::string> {}, dir.file("rasd.log"));
        ChildProcess& rasd = *service;
        for (int i = 0; i < 500 && !fileExists(socket); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        auto session = std::make_shared<platform::RasdSession>(socket);
        platform::rasd::Message dial("dial");
        dial.add("entry", "TUVEKP")
            .add("phonebook", "[TUVEKP]\r\nVpnStrategy=2\r\nPhoneNumber=127.0.0.1\r\n");
        const auto dialled = session->request(dial, 10000);
        if (!dialled || dialled->get("kind") != "connected")
            throw std::runtime_error("the service did not dial: " + readBytes(dir.file("rasd.log")));
        platform::GetifaddrsNetworkAdapters adapters;
        platform::RasdRouteTable routes(session);
        RouteInstaller ri(adapters, routes);
        const double serviceCpu = processCpuMs(rasd.pid());
        const auto start = Clock::now();
        const double cpu = threadCpuMs();
        ri.installRoutes(1, dir.path(), log);
        return Sample { msSince(start), threadCpuMs() - cpu + processCpuMs(rasd.pid()) - serviceCpu };
    };
    const auto ipBatch = [&](bool useNexthop) {
        return [&, useNexthop](const platform::TunDevice& tun) {
            std::string commands;
            if (useNexthop)
                commands += "nexthop add id 4242 dev " + tun.name() + " proto static\n";
            const std::string via = useNexthop ? " nhid 4242" : " dev " + tun.name();
            for (const auto& c : cidrs)
                commands += "route add " + c + via + " metric 999 scope link proto static\n";
            std::ofstream(dir.file("batch.txt"), std::ios::binary) << commands;
            const auto start = Clock::now();
            const double cpu = childrenCpuMs;
            if (run({ "ip", "-force", "-batch", dir.file("batch.txt") }) != 0)
                std::fprintf(stderr, "ip -batch failed\n");
            return Sample { msSince(start), childrenCpuMs - cpu };
        };
    };
    struct Method {
        const char* name;
        std::function<Sample(const platform::TunDevice&)> body;
        std::vector<Sample> samples;
    };
    Method methods[] = {
        { "installRoutes (as shipped: shared nexthop)", installer(true), {} },
        { "installRoutes with RTA_OIF per route", installer(false), {} },
        { "installRoutes through the service", throughService, {} },
        { "ip -force -batch, dev per route", ipBatch(false), {} },
        { "ip -force -batch, shared nexthop (nhid)", ipBatch(true), {} },
    };
    for (int round = 0; round < kRuns; ++round)
        for (auto& m : methods)
            m.samples.push_back(timed(m.name, table.size(), m.body));
    service.reset();
    const Sample perProcess = timed("ip route add", kPerProcessSample, [&](const platform::TunDevice& tun) {
        const auto start = Clock::now();
        const double cpu = childrenCpuMs;
        for (size_t i = 0; i < kPerProcessSample; ++i)
            run({ "ip", "route", "add", cidrs[i], "dev", tun.name(), "metric", "999", "scope", "link",
                "proto", "static" });
        return Sample { msSince(start), childrenCpuMs - cpu };
    });
    const double scale = static_cast<double>(table.size()) / kPerProcessSample;

    std::printf(
        "%zu routes; wall ms median (min) of %d runs, CPU ms (user + system) median\n", table.size(), kRuns);
    for (const auto& m : methods)
        std::printf("  %-44s %7.1f (%6.1f)  cpu %6.1f\n", m.name, median(m.samples, &Sample::wallMs),
            minimum(m.samples, &Sample::wallMs), median(m.samples, &Sample::cpuMs));
    std::printf(
        "  ip route add, one process per line: %zu in %.0f (cpu %.0f), scaled to %zu: %.0f (cpu %.0f)\n",
        kPerProcessSample, perProcess.wallMs, perProcess.cpuMs, table.size(), perProcess.wallMs * scale,
        perProcess.cpuMs * scale);
    const double ri = median(methods[0].samples, &Sample::wallMs);
    const double ib = median(methods[3].samples, &Sample::wallMs);
    const double sv = median(methods[2].samples, &Sample::wallMs);
    std::printf(
        "through the service / direct: wall %.3f (goal <= 2), cpu %.3f; through the service / ip -batch: "
        "wall %.3f\n",
        sv / ri, median(methods[2].samples, &Sample::cpuMs) / median(methods[0].samples, &Sample::cpuMs),
        sv / ib);
    std::printf("installRoutes / ip -batch: wall %.3f, cpu %.3f (goal <= 0.2)\n", ri / ib,
        median(methods[0].samples, &Sample::cpuMs) / median(methods[3].samples, &Sample::cpuMs));
    std::printf("installRoutes / ip -batch, both with a shared nexthop: wall %.3f\n",
        ri / median(methods[4].samples, &Sample::wallMs));
    std::printf("installRoutes / one process per route: wall %.5f\n", ri / (perProcess.wallMs * scale));
    std::printf("goal installRoutes < 50 ms: %s\n", ri < 50 ? "met" : "missed");
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        char load[64] = {};
        if (std::fgets(load, sizeof load, f))
            std::printf("load average: %s", load);
        std::fclose(f);
    }
    return 0;
}
