#pragma once

#include "platform/instance_lock.h"
#include "platform/system_paths.h"

namespace platform {

// Holds an flock on "<runtime dir>/<name>.lock" for the life of the object.
class FlockInstanceLock final : public InstanceLock {
public:
    explicit FlockInstanceLock(const SystemPaths& paths)
        : paths_(paths)
    {
    }
    ~FlockInstanceLock() override;
    FlockInstanceLock(const FlockInstanceLock&) = delete;
    FlockInstanceLock& operator=(const FlockInstanceLock&) = delete;

    bool acquire(const std::string& name) override;

private:
    const SystemPaths& paths_;
    int fd_ = -1;
};

} // namespace platform
