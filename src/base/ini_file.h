#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Private-profile INI file. Every call opens the file by name and is complete
// on return; there is no cached copy. Section and key names match without
// regard to ASCII case. The API speaks UTF-8; the file holds GBK.
//
// Writes change only the one line they concern and keep every other byte.
// The new content goes to a temporary file beside the old one which is then
// renamed over it, so a crash or a full disk never leaves half a file; writers
// of one file in this process take turns.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& path);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class IniFile {
public:
    static constexpr size_t kMaxValueBytes = 2047;

    explicit IniFile(std::string path)
        : path_(std::move(path))
    {
    }

    const std::string& path() const { return path_; }
    bool exists() const;

    std::string readString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // Decimal, or hexadecimal after "0x"/"0X"; anything else gives def.
    int readInt(std::string_view section, std::string_view key, int def) const;
    // Read as an integer: any value but 0 is true.
    bool readBool(std::string_view section, std::string_view key, bool def) const;

    // These throw IniWriteError when the file system refuses the write.
    void writeString(std::string_view section, std::string_view key, std::string_view value) const;
    void writeInt(std::string_view section, std::string_view key, int value) const;
    void writeBool(std::string_view section, std::string_view key, bool value) const;
    void eraseSection(std::string_view section) const;

private:
    std::string path_;
};

// The integer rule on its own, for texts that did not come from a file.
bool parseIniInt(std::string_view text, int& out);
