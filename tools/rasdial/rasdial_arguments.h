#pragma once

#include <optional>
#include <string>
#include <vector>

// The dial tool's command line:
//   rasdial                                  list the active connections
//   rasdial ENTRY [USER [PASSWORD]] [/PHONEBOOK:PATH] [/PHONE:ADDRESS] [/DOMAIN:NAME]
//   rasdial [ENTRY] /DISCONNECT              (also /D)
// Options are matched without regard to case; every argument is one element
// of the argument vector, so user names and passwords may hold spaces.
struct RasdialArguments {
    enum class Command { List, Dial, Disconnect, Usage };

    Command command = Command::Usage;
    std::string entry;
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::optional<std::string> phonebook;
    std::optional<std::string> phone;
    std::string problem; // why the arguments gave Usage

    // args without the program name.
    static RasdialArguments parse(const std::vector<std::string>& args);
};

std::string rasdialUsage();
