#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A program the test runs as a user would: started from an argument vector
// with extra environment, its output in a file. Killed and reaped at the end
// of its object if it still runs.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
        const std::string& outputFile = "/dev/null", const std::string& workingDir = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int pid() const { return pid_; }
    bool running();
    // The exit status once ended within the time (a signal counts as 128 + its number).
    std::optional<int> waitExit(std::chrono::milliseconds timeout);
    void signal(int sig);

private:
    int pid_ = -1;
    std::optional<int> status_;
};

struct CommandResult {
    int status = -1;
    std::string output;
};
// Runs a program to its end (at most timeout) and returns its standard output.
CommandResult runCommand(const std::vector<std::string>& argv,
    const std::map<std::string, std::string>& env = {},
    std::chrono::milliseconds timeout = std::chrono::seconds(10));
