#include "tests/support/x_session.h"

#include <cstdio>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

XSession::XSession(bool windowManager, bool notificationArea)
{
    // A display number nobody uses.
    int n = 200 + static_cast<int>(getpid() % 500);
    struct stat st { };
    while (stat(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), &st) == 0)
        ++n;
    display_ = ":" + std::to_string(n);
    xvfb_ = std::make_unique<ChildProcess>(std::vector<std::string> { "Xvfb", display_, "-screen", "0",
        std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24", "-nolisten", "tcp" });
    for (int i = 0; i < 100 && !ready_; ++i) {
        ready_ = run({ "xdpyinfo" }).status == 0;
        if (!ready_)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!ready_)
        return;
    if (windowManager) {
        wm_ = std::make_unique<ChildProcess>(std::vector<std::string> { "openbox" }, env());
        // Ready once it has set up its screen.
        for (int i = 0; i < 100 && run({ "wmctrl", "-m" }).status != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (notificationArea) {
        tray_ = std::make_unique<ChildProcess>(
            std::vector<std::string> { "trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                "--width", "24", "--height", "24", "--SetDockType", "true" },
            env());
        for (int i = 0; i < 100 && run({ "xdotool", "search", "--class", "trayer" }).output.empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

XSession::~XSession()
{
    tray_.reset();
    wm_.reset();
    xvfb_.reset();
}

std::map<std::string, std::string> XSession::env() const
{
    return { { "DISPLAY", display_ }, { "QT_QPA_PLATFORM", "xcb" } };
}

CommandResult XSession::run(const std::vector<std::string>& argv) const
{
    return runCommand(argv, env());
}

std::vector<std::string> XSession::windows(int pid, const std::string& name) const
{
    std::vector<std::string> argv { "xdotool", "search", "--all", "--onlyvisible", "--pid",
        std::to_string(pid) };
    if (!name.empty()) {
        argv.push_back("--name");
        argv.push_back(name);
    }
    std::istringstream in(run(argv).output);
    std::vector<std::string> ids;
    for (std::string id; in >> id;)
        ids.push_back(id);
    return ids;
}

std::string XSession::waitForWindow(int pid, const std::string& name, std::chrono::milliseconds timeout) const
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        const auto ids = windows(pid, name);
        if (!ids.empty())
            return ids.front();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return {};
}

std::pair<int, int> XSession::outerSize(const std::string& window) const
{
    std::map<std::string, int> v;
    std::istringstream geometry(run({ "xdotool", "getwindowgeometry", "--shell", window }).output);
    for (std::string line; std::getline(geometry, line);)
        if (const size_t eq = line.find('='); eq != std::string::npos)
            v[line.substr(0, eq)] = std::atoi(line.c_str() + eq + 1);
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const std::string extents = run({ "xprop", "-id", window, "_NET_FRAME_EXTENTS" }).output;
    int left = 0, right = 0, top = 0, bottom = 0;
    if (const size_t eq = extents.find('='); eq != std::string::npos)
        std::sscanf(extents.c_str() + eq + 1, " %d, %d, %d, %d", &left, &right, &top, &bottom);
    return { v["WIDTH"] + left + right, v["HEIGHT"] + top + bottom };
}

void XSession::click(int x, int y, int button) const
{
    run({ "xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", std::to_string(button) });
}

void XSession::clickInWindow(const std::string& window, int x, int y, int button) const
{
    run({ "xdotool", "mousemove", "--window", window, std::to_string(x), std::to_string(y), "click",
        std::to_string(button) });
}

void XSession::key(const std::string& keys) const
{
    run({ "xdotool", "key", "--delay", "50", keys });
}

void XSession::type(const std::string& text) const
{
    run({ "xdotool", "type", "--delay", "30", text });
}

void XSession::rightClickTrayIcon() const
{
    click(kWidth - 12, 12, 3);
}

void XSession::closeWindow(const std::string& window) const
{
    run({ "wmctrl", "-i", "-c", window });
}

void XSession::screenshot(const std::string& png) const
{
    run({ "import", "-window", "root", png });
}

std::string XSession::pixels(const std::string& window, int x, int y, int width, int height) const
{
    const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x)
        + "+" + std::to_string(y);
    return run({ "import", "-window", window, "-crop", crop, "-depth", "8", "rgb:-" }).output;
}
