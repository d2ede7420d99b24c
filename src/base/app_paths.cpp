#include "base/app_paths.h"

AppPaths AppPaths::forAppDir(std::string appDir, const platform::SystemPaths& system)
{
    if (!appDir.empty() && appDir.back() != '/')
        appDir.push_back('/');
    AppPaths p;
    p.appDir = appDir;
    p.tempDir = system.tempDir();
    p.drivePrefix = p.tempDir.substr(0, 3);
    p.resDir = appDir + "./res/";
    return p;
}

AppPaths AppPaths::fromProgram(const platform::SystemPaths& system)
{
    const std::string exe = system.programPath();
    const size_t slash = exe.rfind('/');
    return forAppDir(slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1), system);
}
