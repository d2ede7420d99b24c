#pragma once

#include <string>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // With a trailing "/".
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
