#pragma once

#include <string>

#include "platform/system_paths.h"

// The directories the client works in.
struct AppPaths {
    // Where the client keeps its settings, lists and images: the program's
    // directory, or for an installed program the user's data directory.
    // Trailing "/".
    std::string appDir;
    std::string programDir; // where the program file and its installed art are, trailing "/"
    std::string tempDir; // user's temporary directory, trailing "/"
    std::string drivePrefix; // first three characters of tempDir
    std::string resDir; // appDir + "./res/": images of the bar and buttons

    static AppPaths forAppDir(std::string appDir, const platform::SystemPaths& system);
    // appDir from the program file's own location: that directory when the
    // user may write there (a build, an unpacked copy), else
    // "<data home>zavtrel/", made on first start (owner only) with res/
    // seeded from the program's res/.
    static AppPaths fromProgram(const platform::SystemPaths& system);
    // Whether appDir is the user's data directory rather than the program's.
    bool installed() const { return appDir != programDir; }
};
