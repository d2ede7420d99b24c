#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct CaptureResult {
    enum class Failure {
        None, // the program ran; output is what it wrote
        Pipe, // "Can not create pipe!"
        Process, // "can not create process"
        Other, // "error!"
    };
    Failure failure = Failure::None;
    // What the program wrote to its standard output, or the failure's fixed
    // text.
    std::string output;
};

// Runs a program and captures its standard output (the dial tool). A run
// first ends the program that the previous run of this object started, if it
// is still running, so only one dial tool is ever left behind. There is no
// time-out: the program decides when it is done. Safe to call from several
// threads at once.
class ProcessCapture {
public:
    static constexpr const char* kPipeFailure = "Can not create pipe!";
    static constexpr const char* kProcessFailure = "can not create process";
    static constexpr const char* kOtherFailure = "error!";

    virtual ~ProcessCapture() = default;
    // argv[0] is looked up on PATH when it has no "/". input goes to the
    // program's standard input, which then ends (a secret never goes on a
    // command line, where every user of the machine can read it).
    virtual CaptureResult runAndCapture(const std::vector<std::string>& argv, std::string_view input = {})
        = 0;
    // Asks the program the latest run started to end (SIGTERM), if it still
    // runs; does not wait. Its run then returns what it captured.
    virtual void stopRunning() = 0;
};

} // namespace platform
