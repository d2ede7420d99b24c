#pragma once

#include <functional>

// Runs body on a thread of its own inside a fresh network namespace, which
// holds nothing but a loopback device that is down. Children started from the
// body land in it too. The namespace goes away with the thread, however the
// body ends, so no test leaves one behind. False when it could not be made;
// an exception from the body is passed on.
bool runInNewNetworkNamespace(const std::function<void()>& body);
