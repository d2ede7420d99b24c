#include "tests/support/rasd_process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/linux/rasd_protocol.h"

bool RasdProcess::external()
{
    return std::getenv("ZAVTREL_RASD_CONFIG") != nullptr;
}

std::string RasdProcess::unavailable()
{
    if (external())
        return {};
    if (geteuid() != 0)
        return "needs root to run the remote-access service";
    if (!std::getenv("ZAVTREL_PRIVATE_RUN"))
        return "needs the private /run/zavtrel of run_in_netns.sh";
    return {};
}

RasdProcess::RasdProcess()
    : RasdProcess(Options {})
{
}

RasdProcess::RasdProcess(Options options)
{
    const std::string socket = platform::rasd::kSocketPath;
    if (external()) {
        const std::string config = std::getenv("ZAVTREL_RASD_CONFIG");
        dir_ = config.substr(0, config.rfind('/') + 1);
        useSimulate();
        struct stat st { };
        ok_ = stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
        return;
    }
    ownDir_ = std::make_unique<TempDir>();
    dir_ = ownDir_->path();
    chmod(dir_.c_str(), 0755);
    useSimulate();
    unlink(socket.c_str());
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string> { ZAVTREL_RASD, "--group", std::to_string(kGroup), "--config", configPath(),
            "--orphan-grace", std::to_string(options.orphanGraceSeconds) },
        std::map<std::string, std::string> {}, dir_ + "rasd.log");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end && process_->running()) {
        struct stat st { };
        if (stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && (st.st_mode & 0777) == 0660) {
            ok_ = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

RasdProcess::~RasdProcess()
{
    stop();
}

void RasdProcess::stop()
{
    if (!process_)
        return;
    process_->signal(SIGTERM);
    if (!process_->waitExit(std::chrono::seconds(20)))
        process_->signal(SIGKILL);
    process_.reset();
    ok_ = false;
}

void RasdProcess::useSimulate(const std::string& scenario)
{
    writeBytes(dir_ + "scenario.ini", scenario);
    writeConfig("[backend]\r\nname=simulate\r\nscenario=scenario.ini\r\n");
}

void RasdProcess::writeConfig(const std::string& ini)
{
    writeBytes(configPath(), ini);
}

std::vector<std::string> RasdProcess::asUser(int uid, bool inGroup, std::vector<std::string> argv)
{
    std::vector<std::string> out { "setpriv", "--reuid=" + std::to_string(uid),
        "--regid=" + std::to_string(uid),
        inGroup ? "--groups=" + std::to_string(kGroup) : std::string("--clear-groups"), "--" };
    out.insert(out.end(), argv.begin(), argv.end());
    return out;
}
