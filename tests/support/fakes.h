#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/os_info.h"
#include "platform/process_launcher.h"
#include "platform/system_paths.h"
#include "platform/working_set.h"

// Test doubles of the platform interfaces.

class FakeClock : public platform::Clock {
public:
    platform::LocalDateTime time { 2026, 3, 5, 7, 8, 9, 0 };
    std::int64_t steadyMs = 0;
    platform::LocalDateTime now() const override { return time; }
    std::int64_t steadyMilliseconds() const override { return steadyMs; }
};

class FakeOsInfo : public platform::OsInfo {
public:
    platform::OsVersion value {};
    platform::OsVersion version() const override { return value; }
};

// Real path resolution; the temporary and runtime directories are the test's.
class FakeSystemPaths : public platform::SystemPaths {
public:
    explicit FakeSystemPaths(std::string temp)
        : temp_(std::move(temp))
    {
    }
    std::string tempDir() const override { return temp_; }
    std::string resolveShellPath(const std::string& path) const override;
    std::string programPath() const override { return temp_ + "zavtrel"; }
    std::string runtimeDir() const override { return temp_; }
    std::string dataHome() const override { return temp_ + "data/"; }

private:
    std::string temp_;
};

class RecordingLauncher : public platform::ProcessLauncher {
public:
    bool startDetached(const std::vector<std::string>& argv) override
    {
        std::lock_guard g(lock);
        started.push_back(argv);
        return true;
    }
    bool openUrl(const std::string& url) override
    {
        std::lock_guard g(lock);
        opened.push_back(url);
        return true;
    }
    std::mutex lock;
    std::vector<std::vector<std::string>> started;
    std::vector<std::string> opened;
};

class FakeWorkingSet : public platform::WorkingSet {
public:
    bool trimmable = true;
    int trims = 0;
    bool canTrim() const override { return trimmable; }
    void trim() override { ++trims; }
};

#include <climits>
#include <cstdlib>

inline std::string FakeSystemPaths::resolveShellPath(const std::string& path) const
{
    char buf[PATH_MAX];
    return (!path.empty() && realpath(path.c_str(), buf)) ? std::string(buf) : std::string();
}
