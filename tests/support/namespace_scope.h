#pragma once

#include <string>

// Moves the calling thread into a fresh network namespace for the life of the
// object and mounts that namespace's sysfs in a temporary directory of its
// own (never inside a directory a test removes recursively), since
// /sys keeps showing the namespace it was mounted in. Programs spawned from
// this thread start inside the namespace. The namespace goes away by itself
// once nothing is left in it.
class NamespaceScope {
public:
    NamespaceScope();
    ~NamespaceScope();
    NamespaceScope(const NamespaceScope&) = delete;
    NamespaceScope& operator=(const NamespaceScope&) = delete;

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    // "<sysfs>/class/net/"
    std::string classNet() const { return sysfs_ + "/class/net/"; }

private:
    int original_ = -1;
    bool mounted_ = false;
    bool ok_ = false;
    std::string sysfs_;
    std::string error_;
};
