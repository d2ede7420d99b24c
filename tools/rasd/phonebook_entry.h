#pragma once

#include <string>
#include <variant>

// What the dial tool takes from a phonebook entry (the remote-access phonebook
// format: one INI section per entry, named after it).
struct PhonebookEntry {
    std::string name; // as the section header spells it
    int vpnStrategy = 0;
    int dataEncryption = 0;
    bool ipPrioritizeRemote = false; // the tunnel becomes the default gateway
    bool ipHeaderCompression = false;
    std::string phoneNumber;

    // The entry, or the Remote Access error number for a phonebook that
    // cannot be read (621) or that has no such entry (623).
    static std::variant<PhonebookEntry, int> load(const std::string& path, const std::string& entry);
    // The same from the phonebook's bytes (623 only).
    static std::variant<PhonebookEntry, int> parse(const std::string& bytes, const std::string& entry);
};
