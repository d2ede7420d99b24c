#include "base/app_paths.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Copies the installed art the user's folder lacks; images downloaded since
// stay as they are.
void seedResources(const std::string& from, const std::string& to)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(to, ec);
    for (const auto& e : fs::directory_iterator(from, ec)) {
        if (!e.is_regular_file(ec))
            continue;
        const fs::path target = fs::path(to) / e.path().filename();
        if (!fs::exists(target, ec))
            fs::copy_file(e.path(), target, ec);
    }
}

} // namespace

AppPaths AppPaths::forAppDir(std::string appDir, const platform::SystemPaths& system)
{
    if (!appDir.empty() && appDir.back() != '/')
        appDir.push_back('/');
    AppPaths p;
    p.appDir = appDir;
    p.programDir = appDir;
    p.tempDir = system.tempDir();
    p.drivePrefix = p.tempDir.substr(0, 3);
    p.resDir = appDir + "./res/";
    return p;
}

AppPaths AppPaths::fromProgram(const platform::SystemPaths& system)
{
    const std::string exe = system.programPath();
    const size_t slash = exe.rfind('/');
    const std::string programDir = slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
    if (access(programDir.c_str(), W_OK) == 0 || system.dataHome().empty())
        return forAppDir(programDir, system);
    const std::string data = system.dataHome();
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    const std::string appDir = data + "zavtrel/";
    // Where no folder of its own can be made, the program's own folder still
    // has the images and whatever settings were put there.
    if (mkdir(appDir.c_str(), 0700) != 0 && errno != EEXIST)
        return forAppDir(programDir, system);
    AppPaths p = forAppDir(appDir, system);
    p.programDir = programDir;
    seedResources(programDir + "res", appDir + "res");
    return p;
}
