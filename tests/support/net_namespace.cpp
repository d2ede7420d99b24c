#include "tests/support/net_namespace.h"

#include <exception>
#include <sched.h>
#include <thread>

bool runInNewNetworkNamespace(const std::function<void()>& body)
{
    bool made = false;
    std::exception_ptr error;
    std::thread worker([&] {
        // The network namespace belongs to the thread, not the process.
        if (unshare(CLONE_NEWNET) != 0)
            return;
        made = true;
        try {
            body();
        } catch (...) {
            error = std::current_exception();
        }
    });
    worker.join();
    if (error)
        std::rethrow_exception(error);
    return made;
}
