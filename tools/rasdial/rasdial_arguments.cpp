#include "tools/rasdial/rasdial_arguments.h"

#include <cctype>

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// "/NAME:value" → value when the option's name matches.
std::optional<std::string> optionValue(const std::string& arg, const std::string& name)
{
    const std::string head = "/" + name + ":";
    if (arg.size() < head.size() || lower(arg.substr(0, head.size())) != head)
        return std::nullopt;
    return arg.substr(head.size());
}

} // namespace

RasdialArguments RasdialArguments::parse(const std::vector<std::string>& args)
{
    RasdialArguments a;
    if (args.empty()) {
        a.command = Command::List;
        return a;
    }
    std::vector<std::string> positional;
    bool disconnect = false;
    for (const std::string& arg : args) {
        if (arg.empty() || arg[0] != '/') {
            positional.push_back(arg);
            continue;
        }
        const std::string l = lower(arg);
        if (l == "/disconnect" || l == "/d") {
            disconnect = true;
        } else if (auto v = optionValue(arg, "phonebook")) {
            a.phonebook = *v;
        } else if (auto p = optionValue(arg, "phone")) {
            a.phone = *p;
        } else if (optionValue(arg, "domain")) {
            // Accepted for the system's syntax; a VPN dial has no use for it.
        } else {
            a.problem = "unknown option " + arg;
            return a;
        }
    }
    if (disconnect) {
        if (positional.size() > 1) {
            a.problem = "too many arguments";
            return a;
        }
        a.command = Command::Disconnect;
        if (!positional.empty())
            a.entry = positional[0];
        return a;
    }
    if (positional.empty() || positional.size() > 3) {
        a.problem = positional.empty() ? "no entry name" : "too many arguments";
        return a;
    }
    a.command = Command::Dial;
    a.entry = positional[0];
    if (positional.size() > 1)
        a.user = positional[1];
    if (positional.size() > 2)
        a.password = positional[2];
    return a;
}

std::string rasdialUsage()
{
    return "USAGE:\n"
           "\trasdial entryname [username [password]] [/DOMAIN:domain]\n"
           "\t\t[/PHONE:address] [/PHONEBOOK:phonebookfile]\n"
           "\trasdial [entryname] /DISCONNECT\n"
           "\trasdial\n";
}
