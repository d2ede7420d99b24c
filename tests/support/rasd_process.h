#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/connection_registry.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

// The remote-access service as a test runs it: as root, in the private
// /run/zavtrel that run_in_netns.sh mounts, with its settings in a folder of
// the test's. Stopped (which hangs up what it holds) at the end of the object.
// A test that runs as an unprivileged user finds the service its wrapper
// (run_as_member.sh) started, through ZAVTREL_RASD_CONFIG, and only writes
// its settings.
class RasdProcess {
public:
    // The group its callers must be in, and two users: one in it, one not.
    static constexpr int kGroup = 64123;
    static constexpr int kMember = 64124;
    static constexpr int kStranger = 64125;
    static constexpr const char* kRegistry = "/run/zavtrel/registry/";

    struct Options {
        int orphanGraceSeconds = 10;
    };

    // Empty when the service can run here, else why not (for GTEST_SKIP).
    static std::string unavailable();
    // Whether the service was started outside this test (as root, for an
    // unprivileged one).
    static bool external();

    RasdProcess();
    explicit RasdProcess(Options options);
    ~RasdProcess();

    // Whether it listens.
    bool ok() const { return ok_; }
    int pid() const { return process_ ? process_->pid() : -1; }
    void stop();
    // Dials go to the simulate backend with this scenario.
    void useSimulate(const std::string& scenario = "[scenario]\r\nresult=success\r\n");
    // The service's whole settings file.
    void writeConfig(const std::string& ini);
    std::string configPath() const { return dir_ + "rasd.ini"; }
    // The folder of its settings, with a trailing "/".
    const std::string& dir() const { return dir_; }
    platform::ConnectionRegistry registry() const { return platform::ConnectionRegistry(kRegistry); }
    std::string log() const { return readBytes(dir_ + "rasd.log"); }

    // argv run as the given user, with kGroup as a supplementary group or
    // with none.
    static std::vector<std::string> asUser(int uid, bool inGroup, std::vector<std::string> argv);

private:
    std::unique_ptr<TempDir> ownDir_;
    std::string dir_;
    std::unique_ptr<ChildProcess> process_;
    bool ok_ = false;
};
