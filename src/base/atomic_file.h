#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// Writes a file whole or not at all: the content goes to a temporary file
// beside the target, which a rename then puts in its place, so a reader sees
// the old or the new file and never half of one. A kill in between leaves the
// old file and a temporary one, which removeStaleTempFiles takes away at the
// next start.
class AtomicFile {
public:
    enum class Links { Follow, Replace };

    // newFileMode: the mode when the target does not exist yet; otherwise the
    // temporary file takes the target's own mode, so the copy is never more
    // open than the file. Links::Follow rewrites the file a symbolic link
    // names and keeps the link; Links::Replace puts a file in the link's place.
    AtomicFile(const std::string& target, mode_t newFileMode, Links links);
    ~AtomicFile(); // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False when the temporary file could not be made.
    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    bool write(std::string_view bytes);
    // Flushes, closes and renames into place; false (and nothing replaced)
    // on any failure.
    bool commit();

private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
};

// The path a write really replaces: the final target of symbolic links.
std::string resolveWriteTarget(const std::string& path);
// Whether a file name is one of AtomicFile's temporary files.
bool isAtomicTempName(std::string_view fileName);
// Removes the temporary files that writes interrupted by a kill left in dir;
// with a target prefix, only those of targets whose name starts with it.
void removeStaleTempFiles(const std::string& dir, std::string_view targetPrefix = {});
