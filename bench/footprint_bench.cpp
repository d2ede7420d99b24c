// Start-up time (spawn to first top-level window mapped) and resident memory
// after an idle period, for the client and for a bare Qt tray app, measured in
// the same run on the same X display.
//
//   footprint_bench CLIENT BARE [idle seconds=10] [runs=3]
#include <X11/Xlib.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

long rssKiB(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

struct Sample {
    double startMs;
    long rss;
};

Sample measure(Display* dpy, const std::string& program, int idleSeconds)
{
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, True); // drop stale events
    char* argv[] = { const_cast<char*>(program.c_str()), nullptr };
    pid_t pid = -1;
    const auto t0 = Clock::now();
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    double startMs = -1;
    const auto deadline = t0 + std::chrono::seconds(30);
    while (startMs < 0 && Clock::now() < deadline) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify && !ev.xmap.override_redirect) {
                XWindowAttributes a;
                if (XGetWindowAttributes(dpy, ev.xmap.window, &a) && a.width >= 200 && a.height >= 500) {
                    startMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                    break;
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const long rss = rssKiB(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return { startMs, rss };
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CLIENT BARE [idle seconds] [runs]\n", argv[0]);
        return 2;
    }
    const int idle = argc > 3 ? std::atoi(argv[3]) : 10;
    const int runs = argc > 4 ? std::atoi(argv[4]) : 3;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    struct Row {
        const char* name;
        std::string program;
        std::vector<double> start, rss;
    } rows[] = { { "zavtrel", argv[1], {}, {} }, { "bare Chinese window", argv[2], {}, {} } };
    for (int r = 0; r < runs; ++r)
        for (auto& row : rows) {
            const Sample s = measure(dpy, row.program, idle);
            row.start.push_back(s.startMs);
            row.rss.push_back(static_cast<double>(s.rss));
        }
    std::printf("%-18s %14s %18s\n", "program", "start (ms)", "RSS after idle (KiB)");
    for (auto& row : rows)
        std::printf("%-18s %14.1f %18.0f\n", row.name, median(row.start), median(row.rss));
    std::printf("ratio (zavtrel / bare): start %.2f, RSS %.2f  (medians of %d runs, %d s idle)\n",
        median(rows[0].start) / median(rows[1].start), median(rows[0].rss) / median(rows[1].rss), runs, idle);
    XCloseDisplay(dpy);
    return 0;
}
