#pragma once

namespace platform {

// Gives unused process memory back to the operating system.
class WorkingSet {
public:
    virtual ~WorkingSet() = default;
    // Whether this platform offers a trim at all.
    virtual bool canTrim() const = 0;
    virtual void trim() = 0;
};

} // namespace platform
