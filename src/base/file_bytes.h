#pragma once

#include <string>

// Appends the whole file to out; false when it cannot be opened or read.
bool readFileBytes(const std::string& path, std::string& out);
