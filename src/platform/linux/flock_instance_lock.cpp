#include "platform/linux/flock_instance_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

FlockInstanceLock::~FlockInstanceLock()
{
    if (fd_ >= 0)
        close(fd_);
}

bool FlockInstanceLock::acquire(const std::string& name)
{
    const std::string path = paths_.runtimeDir() + name + ".lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // a lock that cannot be created does not stop start-up
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool heldElsewhere = (errno == EWOULDBLOCK);
        close(fd);
        return !heldElsewhere;
    }
    if (fd_ >= 0)
        close(fd_);
    fd_ = fd;
    return true;
}

} // namespace platform
