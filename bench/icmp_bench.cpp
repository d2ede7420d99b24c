// Times the ICMP probe against hosts with known delays: what a probe costs
// above the delay, what a dead node costs, an automatic selection over 50
// nodes, and the probe beside iputils ping on the same host. Needs root.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/node_choice.h"
#include "core/cipher/string_cipher.h"
#include "core/nodes/node_list.h"
#include "core/nodes/node_selection.h"
#include "platform/gbk_codec.h"
#include "platform/linux/socket_icmp_probe.h"
#include "tests/support/latency_fixture.h"

extern char** environ;

namespace {

using Ms = std::chrono::duration<double, std::milli>;
using Transport = platform::SocketIcmpProbe::Transport;

double timeMs(const std::function<void()>& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return Ms(std::chrono::steady_clock::now() - start).count();
}

struct Stats {
    double min, median, p90, max;
};

Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const auto at
        = [&](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5)]; };
    return { v.front(), at(0.5), at(0.9), v.back() };
}

void printStats(const char* label, const Stats& s, const char* unit = "ms")
{
    std::printf("  %-44s min %8.3f  median %8.3f  p90 %8.3f  max %8.3f %s\n", label, s.min, s.median, s.p90,
        s.max, unit);
}

// Runs iputils ping once; answers its wall time, and its own round-trip
// figure through rtt (negative when it printed none).
double runPing(const std::string& host, double& rtt)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = { "ping", "-c", "1", "-W", "1", "-n", host };
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawnp(&pid, "ping", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buf[512];
    ssize_t n;
    while (rc == 0 && (n = read(out[0], buf, sizeof buf)) > 0)
        text.append(buf, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    if (rc == 0)
        waitpid(pid, &status, 0);
    const double wall = Ms(std::chrono::steady_clock::now() - start).count();
    rtt = -1;
    const size_t at = text.find("time=");
    if (at != std::string::npos)
        rtt = std::atof(text.c_str() + at + 5);
    if (rc != 0) {
        std::fprintf(stderr, "cannot start ping\n");
        std::exit(1);
    }
    return wall;
}

// How long the fixture held the request with this sequence number before it
// answered; the answer is written down just after the reply went out.
std::optional<double> heldFor(const LatencyFixture& fixture, std::uint16_t sequence)
{
    for (int tries = 0; tries < 100; ++tries) {
        for (const auto& a : fixture.answers()) {
            if (a.sequence == sequence)
                return Ms(a.held).count();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return std::nullopt;
}

void probeOverhead(LatencyFixture& fixture, Transport transport)
{
    platform::SocketIcmpProbe probe(transport);
    for (int delayMs : { 0, 5, 20 }) {
        const std::string host = LatencyFixture::host(delayMs);
        fixture.setDelay(host, std::chrono::milliseconds(delayMs));
        std::vector<double> over, own;
        int exact = 0;
        for (int i = 0; i < 60; ++i) {
            std::string text;
            const double call = timeMs([&] { text = probe.ping(host); });
            over.push_back(call - delayMs);
            if (const auto held = heldFor(fixture, fixture.requests().back().sequence))
                own.push_back(call - *held);
            exact += text == std::to_string(delayMs);
        }
        char label[64];
        std::snprintf(label, sizeof label, "%2d ms host: call time above the delay", delayMs);
        printStats(label, stats(over));
        printStats("           ... above the host's hold time", stats(own));
        std::printf("  %-44s %d of 60\n", "           text equal to the delay", exact);
    }
    std::vector<double> dead;
    int failed = 0;
    for (int i = 0; i < 8; ++i) {
        std::string text;
        dead.push_back(timeMs([&] { text = probe.ping(LatencyFixture::host(200)); }));
        failed += text == "300";
    }
    printStats("dead node: call time", stats(dead));
    std::printf("  %-44s %d of 8\n", "           answered \"300\"", failed);
}

void selectionOverFiftyNodes(LatencyFixture& fixture)
{
    const std::string dir = "/tmp/zavtrel-icmp-bench-" + std::to_string(getpid()) + "/";
    mkdir(dir.c_str(), 0700);
    std::string text = "[head]\r\nnodecount=50\r\n";
    int sum = 0;
    for (int i = 0; i < 50; ++i) {
        // 1..50 ms, shuffled across the two line types.
        const int delay = (i * 37) % 50 + 1;
        sum += delay;
        const std::string host = LatencyFixture::host(100 + i);
        fixture.setDelay(host, std::chrono::milliseconds(delay));
        text += "[node" + std::to_string(i + 1) + "]\r\nlinetype=" + std::to_string(i % 2 + 1) + "\r\nip="
            + cipher::encryptText(host) + "\r\nnodename=节点" + std::to_string(i + 1) + "\r\nright=1\r\n";
    }
    const std::string path = dir + "Vip.ini";
    const std::string gbk = platform::utf8ToGbk(text);
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(gbk.data(), 1, gbk.size(), f);
    std::fclose(f);

    platform::SocketIcmpProbe probe;
    NodeChoice choice("127.0.0.1");
    std::vector<double> over;
    AutoSelection result;
    for (int run = 0; run < 3; ++run) {
        over.push_back(timeMs([&] {
            result = selectBestNode([&] { return loadNodeList(dir, "Vip.ini"); }, probe, choice)
                         .value_or(AutoSelection {});
        }) - sum);
    }
    const double loadMs = timeMs([&] { loadNodeList(dir, "Vip.ini"); });
    std::printf("  sum of the 50 delays %d ms; chose line type %d, %s (%s)\n", sum, result.lineType,
        result.caption.c_str(), choice.serverIp().c_str());
    printStats("selection time above the sum", stats(over));
    std::printf("  %-44s %8.3f ms\n", "of which one read of the node list", loadMs);
    std::remove(path.c_str());
    rmdir(dir.c_str());
}

void besidePing(LatencyFixture& fixture, Transport transport)
{
    platform::SocketIcmpProbe probe(transport);
    for (int delayMs : { 0, 10 }) {
        const std::string host = LatencyFixture::host(50 + delayMs);
        fixture.setDelay(host, std::chrono::milliseconds(delayMs));
        std::vector<double> ours, theirs, theirRtt;
        for (int i = 0; i < 20; ++i) {
            ours.push_back(timeMs([&] { probe.ping(host); }));
            double rtt = 0;
            theirs.push_back(runPing(host, rtt));
            if (rtt >= 0)
                theirRtt.push_back(rtt);
        }
        const Stats a = stats(ours), b = stats(theirs);
        std::printf("  %2d ms host:\n", delayMs);
        printStats("  our probe, call time", a);
        printStats("  ping -c 1 -W 1, process time", b);
        if (!theirRtt.empty())
            printStats("  ping's own time= figure", stats(theirRtt));
        std::printf("  %-44s %8.1f x\n", "  median ping / median probe", b.median / a.median);
    }
}

} // namespace

int main()
{
    if (geteuid() != 0) {
        std::fprintf(stderr, "icmp_bench needs root (network namespace, TUN device)\n");
        return 1;
    }
    LatencyFixture fixture;
    LatencyFixture::Inside inside(fixture);
    for (bool datagram : { false, true }) {
        fixture.allowDatagramIcmp(datagram);
        const Transport transport = datagram ? Transport::Datagram : Transport::Raw;
        std::printf("%s socket (ping_group_range %s)\n", datagram ? "ICMP datagram" : "raw",
            datagram ? "open" : "\"1 0\"");
        probeOverhead(fixture, transport);
        std::printf(" beside iputils ping\n");
        besidePing(fixture, transport);
    }
    std::printf("automatic selection over 50 nodes (datagram socket)\n");
    selectionOverFiftyNodes(fixture);
    return 0;
}
