#include "platform/linux/malloc_trim_working_set.h"

#include <malloc.h>

namespace platform {

void MallocTrimWorkingSet::trim()
{
    malloc_trim(0);
}

} // namespace platform
