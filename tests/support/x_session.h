#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

// A private X display for tests of the whole program: Xvfb, a window manager
// and, when asked, a notification area in the top right corner, driven from
// outside with xdotool and wmctrl as a user would.
class XSession {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    XSession(bool windowManager, bool notificationArea);
    ~XSession();

    bool ready() const { return ready_; }
    const std::string& display() const { return display_; }
    // What a program needs to show its windows here.
    std::map<std::string, std::string> env() const;
    CommandResult run(const std::vector<std::string>& argv) const;

    // The visible top-level windows of a process whose title holds name.
    std::vector<std::string> windows(int pid, const std::string& name = "") const;
    std::string waitForWindow(int pid, const std::string& name, std::chrono::milliseconds timeout) const;
    // A window's size with the window manager's frame: width, height.
    std::pair<int, int> outerSize(const std::string& window) const;

    void click(int x, int y, int button = 1) const;
    // A click at a point of a window's own area.
    void clickInWindow(const std::string& window, int x, int y, int button = 1) const;
    void key(const std::string& keys) const;
    void type(const std::string& text) const;
    // The right button on the notification area's one icon.
    void rightClickTrayIcon() const;
    // The window manager's close, as the title bar's close button does it.
    void closeWindow(const std::string& window) const;
    void screenshot(const std::string& png) const;
    // The RGB bytes of a rectangle of a window as the screen shows it.
    std::string pixels(const std::string& window, int x, int y, int width, int height) const;

private:
    std::string display_;
    std::unique_ptr<ChildProcess> xvfb_, wm_, tray_;
    bool ready_ = false;
};
