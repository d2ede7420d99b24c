#include "platform/linux/linux_system_paths.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace platform {
namespace {

std::string withTrailingSlash(std::string dir)
{
    if (!dir.empty() && dir.back() != '/')
        dir.push_back('/');
    return dir;
}

} // namespace

std::string LinuxSystemPaths::tempDir() const
{
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && *env) ? env : "/tmp";
    // The system hands out at most 255 characters here.
    dir = withTrailingSlash(dir);
    if (dir.size() > 255)
        return {};
    return dir;
}

std::string LinuxSystemPaths::resolveShellPath(const std::string& path) const
{
    if (path.empty())
        return {};
    char buf[PATH_MAX];
    if (!realpath(path.c_str(), buf))
        return {};
    std::string out(buf);
    if (out.size() > 259)
        return {};
    return out;
}

std::string LinuxSystemPaths::programPath() const
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<size_t>(n));
}

std::string LinuxSystemPaths::runtimeDir() const
{
    const char* env = std::getenv("XDG_RUNTIME_DIR");
    if (env && *env && access(env, W_OK) == 0)
        return withTrailingSlash(env);
    return tempDir();
}

std::string LinuxSystemPaths::dataHome() const
{
    const char* env = std::getenv("XDG_DATA_HOME");
    if (env && *env == '/')
        return withTrailingSlash(env);
    const char* home = std::getenv("HOME");
    if (home && *home == '/')
        return withTrailingSlash(home) + ".local/share/";
    return {};
}

} // namespace platform
