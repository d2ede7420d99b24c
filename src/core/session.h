#pragma once

#include <atomic>
#include <string>

// Values of one program run that several parts of the client share. Owned by
// the application and passed by reference; touched on the UI thread unless a
// member says otherwise.
struct Session {
    // Login
    std::string portalUser;
    std::string portalPassword;
    int accountState = -1;  // 0 free, 1 VIP, 2 frozen; -1 before a login
    int fullRelayAllowed = 0;
    bool vipAccount = false;
    std::string nodeListFile = "Free.INI";
    std::string appTitle = "Zavtrel";
    std::string newsTitle;
    std::string newsWidth;
    std::string newsHeight;

    // Connection policy of free accounts
    std::string linkMinutes;
    std::string waitMinutes;

    // Portal and content
    std::string contactUrl;
    std::string announcementUrl;

    // Phonebook
    std::string entryName;
    std::string phonebookPath = "C:\\TUVEK.PBK";

    // Dial state, shared with the dial worker thread.
    std::atomic<unsigned long> connectionHandle{0};
    std::atomic<bool> dialInProgress{false};
};
