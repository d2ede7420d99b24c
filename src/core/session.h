#pragma once

#include <string>

// Values of one program run that the windows share. Owned by the composition
// root and passed by reference; UI thread only. What a worker thread needs it
// gets as a value when it starts.
struct Session {
    // Login
    std::string portalUser;
    std::string portalPassword;
    int accountState = -1; // 0 free, 1 VIP, 2 frozen; -1 before a login
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
};
