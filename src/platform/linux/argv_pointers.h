#pragma once

#include <string>
#include <vector>

namespace platform {

// The argument vector as exec wants it: pointers into argv, ending in a null
// pointer. Valid while argv lives and is not changed.
inline std::vector<char*> argvPointers(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    return args;
}

} // namespace platform
