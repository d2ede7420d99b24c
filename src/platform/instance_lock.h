#pragma once

#include <string>

namespace platform {

// A named, process-lifetime lock that lets only one copy of the program run.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when this process now holds the lock (or the lock could not be
    // created at all, which must not stop the program); false only when
    // another process holds it.
    virtual bool acquire(const std::string& name) = 0;
};

} // namespace platform
