#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs work in a child process as uid (and gid uid) with exactly the given
// supplementary groups, and brings back what it returns. Needs root.
std::string runAsUser(int uid, const std::vector<gid_t>& groups, const std::function<std::string()>& work);
