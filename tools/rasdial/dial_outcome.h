#pragma once

#include <string>
#include <vector>

#include "platform/remote_access.h"
#include "tools/rasdial/phonebook_entry.h"

// One dial as a backend sees it.
struct DialRequest {
    std::string entry; // as given on the command line
    std::string user;
    std::string password;
    std::string phone; // server address
    PhonebookEntry phonebook;
    platform::ConnectionHandle handle = 0; // already reserved in the registry
};

// How a dial ended; the tool prints it.
struct DialOutcome {
    enum class Kind {
        Connected, // record written, link up
        Failed, // one error line per number
        Raw, // text printed as it is
        Terminated, // the tool was told to stop; nothing printed
    };
    Kind kind = Kind::Failed;
    std::vector<int> errors;
    std::string text; // Connected: replaces the success line when hasText; Raw: the output
    bool hasText = false;
    int exitCode = 1; // for Raw

    static DialOutcome connected() { return { Kind::Connected, {}, {}, false, 0 }; }
    static DialOutcome failed(int code) { return { Kind::Failed, { code }, {}, false, 1 }; }
    static DialOutcome terminated() { return { Kind::Terminated, {}, {}, false, 1 }; }
};
