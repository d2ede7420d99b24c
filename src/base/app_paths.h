#pragma once

#include <string>

#include "platform/system_paths.h"

// The directories the client works in.
struct AppPaths {
    std::string appDir; // program directory, trailing "/"
    std::string tempDir; // user's temporary directory, trailing "/"
    std::string drivePrefix; // first three characters of tempDir
    std::string resDir; // appDir + "./res/": images of the bar and buttons

    static AppPaths forAppDir(std::string appDir, const platform::SystemPaths& system);
    // appDir from the program file's own location.
    static AppPaths fromProgram(const platform::SystemPaths& system);
};
