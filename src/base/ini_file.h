#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Private-profile INI file. Every call opens the file by name and is complete
// on return; there is no cached copy. Section and key names match without
// regard to ASCII case; the first section of a name and its first key of a
// name count. The API speaks UTF-8; the file holds GBK.
//
// Writes change only the one line they concern and keep every other byte.
// The new content goes to a temporary file beside the old one which is then
// renamed over it, so a crash or a full disk never leaves half a file; writers
// of one file in this process take turns. A file without any write
// permission is not written, and a symbolic link keeps pointing at the
// rewritten file.
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

    // One read of the file and one scan of its lines.
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

// A whole INI file read once, for readers that take many keys of one file:
// one read and one scan instead of one of each per key. Same rules as IniFile.
class IniSnapshot {
public:
    // A missing or unreadable file reads as an empty one.
    static IniSnapshot read(const std::string& path);
    explicit IniSnapshot(std::string gbkData);
    IniSnapshot(IniSnapshot&&) = default;
    IniSnapshot& operator=(IniSnapshot&&) = default;

    std::string readString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    int readInt(std::string_view section, std::string_view key, int def) const;
    // The sections' names as written, in file order, each name once (UTF-8).
    std::vector<std::string> sectionNames() const;

private:
    struct Section {
        std::string_view name;
        std::vector<std::pair<std::string_view, std::string_view>> entries; // key, raw value
    };
    const Section* find(std::string_view gbkName) const;

    std::string data_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> index_; // lower-case name -> first section
};

// Decimal with at most one sign, as every integer the client reads from text:
// "+5" and "-5" are numbers, "+-5", "--5" and " 5" are not.
bool parseDecimalInt(std::string_view text, std::int32_t& out);
// The INI integer rule: hexadecimal after "0x"/"0X" (more than two
// characters), decimal otherwise.
bool parseIniInt(std::string_view text, int& out);
