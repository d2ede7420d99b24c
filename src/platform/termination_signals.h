#pragma once

namespace platform {

// The requests to end the program that the system sends it (on Linux:
// SIGTERM, SIGINT, SIGHUP), turned into a file descriptor that becomes
// readable when one arrived, so the UI thread can take it as an event. One
// per process.
class TerminationSignals {
public:
    virtual ~TerminationSignals() = default;
    virtual int fd() const = 0;
    // Takes the pending requests; the descriptor is quiet again.
    virtual void acknowledge() = 0;
};

} // namespace platform
