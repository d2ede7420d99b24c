#pragma once

#include <string>
#include <vector>

// What the simulated dial does, from an INI file with one section:
//   [scenario]
//   result=success|error|raw   what the dial ends in (success)
//   errors=691 720             error numbers printed for result=error
//   output=TEXT                success: printed instead of the success line;
//                              raw: everything printed (\n, \r, \t, \\ escapes)
//   exitCode=N                 exit code for result=raw (1)
//   delayMs=N                  wait before answering (0)
//   dropAfterMs=N              the link goes away this long after the answer (0: never)
//   interface=ppp%d            interface name or kernel pattern
//   address=10.x.x.x peer=10.x.x.x   addresses of the link (derived from the handle)
struct DialScenario {
    enum class Result { Success, Error, Raw };

    Result result = Result::Success;
    std::vector<int> errors;
    std::string output;
    bool hasOutput = false;
    int exitCode = 1;
    int delayMs = 0;
    int dropAfterMs = 0;
    std::string interfacePattern = "ppp%d";
    std::string address;
    std::string peer;
    // Set when the file could not be used; the dial then fails with 711.
    std::string problem;

    static DialScenario load(const std::string& path);
    static std::string unescape(const std::string& text);
};
