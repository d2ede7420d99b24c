#pragma once

#include <string>
#include <string_view>

#include "platform/system_paths.h"

// Writes the embedded template of that name to file, followed by append. The
// old file is deleted first and a new one created in its place; false when the
// template is unknown or the file could not be written completely, in which
// case no partial file is left behind.
bool extractResourceToFile(std::string_view name, const std::string& file, std::string_view append = {});

struct PreparedPhonebook {
    std::string entryName; // "TUVEKP", "TUVEKL" or "TUVEKX"
    std::string phonebookPath; // full path of the written file; empty if it could not be resolved
    std::string modeLabel; // text for Linkmodev: "模式一", "模式二" or "模式2"
    int storedMode; // value for the Mode setting: 1 or 2
};

// Picks the template for mode and the Windows version name and writes it to
// tempDir + entry + ".sys". Showing the label and storing the mode is the
// caller's business, since start-up leaves both out.
PreparedPhonebook preparePhonebook(
    int mode, const std::string& versionName, const std::string& tempDir, const platform::SystemPaths& paths);

// Full relay: IpPrioritizeRemote "1" (tunnel is the default gateway) or "0" in
// the entry's section of the written phonebook; every other byte stays. False
// when there is no entry or path yet or the file could not be rewritten.
bool setFullRelay(const std::string& entryName, const std::string& phonebookPath, bool on) noexcept;
