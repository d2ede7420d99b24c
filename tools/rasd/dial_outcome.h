#pragma once

#include <string>
#include <vector>

#include "platform/linux/connection_registry.h"
#include "tools/rasd/phonebook_entry.h"

// One dial as a backend sees it.
struct DialRequest {
    std::string entry; // as given on the command line
    std::string user;
    std::string password;
    std::string phone; // server address
    PhonebookEntry phonebook;
    platform::ConnectionHandle handle = 0; // already reserved in the registry
    int ownerUid = -1;
    bool held = false; // see ConnectionRecord

    // A record of this dial with what every state of it shares.
    platform::ConnectionRecord record() const
    {
        platform::ConnectionRecord r;
        r.handle = handle;
        r.entryName = entry;
        r.ownerUid = ownerUid;
        r.fullRelay = phonebook.ipPrioritizeRemote;
        r.held = held;
        return r;
    }
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
