#pragma once

#include <string>

#include "base/settings.h"

// A node chosen by hand in an earlier run, as the settings keep it.
struct SavedNode {
    int lineType = 0; // 0: none, the choice is automatic
    std::string name;
    std::string address; // deciphered
};
SavedNode readSavedNode(const Settings& settings);

// The user's own line as the main window names it for a chosen line type;
// null for a line type without a name.
const char* localLineText(int lineType);
