#include "core/vpn/phonebook.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "base/ini_file.h"
#include "core/vpn/phonebook_choice.h"
#include "core/vpn/phonebook_resources.h"

namespace {

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

bool extractResourceToFile(std::string_view name, const std::string& file, std::string_view append)
{
    const auto bytes = phonebookResource(name);
    if (!bytes)
        return false;
    ::unlink(file.c_str());
    // The file lives in a shared temporary directory: after the delete, only a
    // file we create ourselves will do, never one (or a link) someone put there.
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, *bytes) && writeAll(fd, append);
    ok = ok && ::ftruncate(fd, static_cast<off_t>(bytes->size() + append.size())) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok)
        ::unlink(file.c_str()); // half a phonebook would dial with whatever survived
    return ok;
}

PreparedPhonebook preparePhonebook(
    int mode, const std::string& versionName, const std::string& tempDir, const platform::SystemPaths& paths)
{
    const PhonebookChoice choice = choosePhonebook(mode, versionName);
    const std::string file = tempDir + choice.entryName + ".sys";
    extractResourceToFile(choice.entryName, file);
    return { choice.entryName, paths.resolveShellPath(file), choice.modeLabel, choice.storedMode };
}

bool setFullRelay(const std::string& entryName, const std::string& phonebookPath, bool on) noexcept
{
    if (entryName.empty() || phonebookPath.empty())
        return false;
    try {
        IniFile(phonebookPath).writeBool(entryName, "IpPrioritizeRemote", on);
        return true;
    } catch (...) {
        return false;
    }
}
