#pragma once

#include <atomic>

#include "platform/remote_access.h"

// The connection as the dial workers and the window share it. Held by
// shared_ptr: a dial that outlives the window still has it.
struct DialState {
    // 0 when there is no tunnel; set by the dial that confirms one.
    std::atomic<platform::ConnectionHandle> connectionHandle { 0 };
    // From a dial's first step to its last; the watchdog stays away meanwhile.
    std::atomic<bool> dialInProgress { false };
    // Set when the program ends: a dial that completes after it neither shows
    // anything nor routes the tunnel.
    std::atomic<bool> ended { false };
};
