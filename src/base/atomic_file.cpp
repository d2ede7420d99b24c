#include "base/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kTempMark = ".tmp-";

} // namespace

std::string resolveWriteTarget(const std::string& path)
{
    struct stat st { };
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char buf[PATH_MAX];
    // A link to a file that does not exist yet: create the file it names.
    if (realpath(path.c_str(), buf))
        return buf;
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0)
        return path;
    std::string link(buf, static_cast<size_t>(n));
    if (link.front() == '/')
        return link;
    const size_t slash = path.rfind('/');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + link;
}

AtomicFile::AtomicFile(const std::string& target, mode_t newFileMode, Links links)
    : target_(links == Links::Follow ? resolveWriteTarget(target) : target)
{
    const size_t slash = target_.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    temp_ = dir + "." + name + std::string(kTempMark) + "XXXXXX";
    fd_ = mkostemp(temp_.data(), O_CLOEXEC); // mode 0600 until told otherwise
    if (fd_ < 0)
        return;
    struct stat st { };
    const mode_t mode
        = lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? (st.st_mode & 07777) : newFileMode;
    if (fchmod(fd_, mode) != 0)
        failed_ = true;
}

AtomicFile::~AtomicFile()
{
    if (fd_ >= 0) {
        close(fd_);
        unlink(temp_.c_str());
    }
}

bool AtomicFile::write(std::string_view bytes)
{
    while (!failed_ && !bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failed_ = true;
        else
            bytes.remove_prefix(static_cast<size_t>(n));
    }
    return !failed_;
}

bool AtomicFile::commit()
{
    if (fd_ < 0)
        return false;
    bool ok = !failed_ && fsync(fd_) == 0;
    ok = close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && std::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok)
        unlink(temp_.c_str());
    return ok;
}

bool isAtomicTempName(std::string_view name)
{
    // "." + name + ".tmp-" + six characters
    const size_t mark = name.rfind(kTempMark);
    return name.size() > 1 && name.front() == '.' && mark != std::string_view::npos && mark > 1
        && name.size() == mark + kTempMark.size() + 6;
}

void removeStaleTempFiles(const std::string& dir, std::string_view targetPrefix)
{
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return;
    const std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    while (const dirent* e = readdir(d)) {
        const std::string_view name = e->d_name;
        if (!isAtomicTempName(name) || name.substr(1, targetPrefix.size()) != targetPrefix)
            continue;
        const std::string path = prefix + e->d_name;
        struct stat st { };
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            unlink(path.c_str());
    }
    closedir(d);
}
