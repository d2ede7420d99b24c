#include "platform/linux/linux_os_info.h"

#include <cstdio>
#include <sys/utsname.h>

namespace platform {

OsVersion LinuxOsInfo::version() const
{
    OsVersion v;
    v.platformId = OsVersion::kOther;
    utsname u {};
    if (uname(&u) == 0)
        std::sscanf(u.release, "%u.%u", &v.major, &v.minor);
    return v;
}

} // namespace platform
