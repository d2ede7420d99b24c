#include "tools/rasd/dial_scenario.h"

#include <sstream>

#include "base/ini_file.h"

DialScenario DialScenario::load(const std::string& path)
{
    DialScenario s;
    const IniFile ini(path);
    if (path.empty() || !ini.exists()) {
        s.problem = "no scenario file";
        return s;
    }
    const std::string result = ini.readString("scenario", "result", "success");
    if (result == "success")
        s.result = Result::Success;
    else if (result == "error")
        s.result = Result::Error;
    else if (result == "raw")
        s.result = Result::Raw;
    else
        s.problem = "unknown result " + result;

    std::string list = ini.readString("scenario", "errors");
    for (char& c : list)
        if (c == ',' || c == ';')
            c = ' ';
    std::istringstream words(list);
    std::string word;
    while (words >> word) {
        int code = 0;
        if (parseIniInt(word, code) && code > 0)
            s.errors.push_back(code);
        else
            s.problem = "bad error number " + word;
    }
    if (s.result == Result::Error && s.errors.empty())
        s.problem = "result=error without errors";

    const std::string noValue = "\x01";
    const std::string output = ini.readString("scenario", "output", noValue);
    s.hasOutput = output != noValue;
    if (s.hasOutput)
        s.output = unescape(output);
    s.exitCode = ini.readInt("scenario", "exitCode", 1);
    s.delayMs = ini.readInt("scenario", "delayMs", 0);
    s.dropAfterMs = ini.readInt("scenario", "dropAfterMs", 0);
    s.interfacePattern = ini.readString("scenario", "interface", s.interfacePattern);
    s.address = ini.readString("scenario", "address");
    s.peer = ini.readString("scenario", "peer");
    if (s.delayMs < 0 || s.dropAfterMs < 0)
        s.problem = "negative time";
    return s;
}

std::string DialScenario::unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        switch (text[++i]) {
        case 'n':
            out.push_back('\n');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case 't':
            out.push_back('\t');
            break;
        case '\\':
            out.push_back('\\');
            break;
        default:
            out.push_back('\\');
            out.push_back(text[i]);
        }
    }
    return out;
}
