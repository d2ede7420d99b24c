#pragma once

#include <optional>
#include <string_view>

// The phonebook templates compiled into the program, byte for byte, by entry
// name ("TUVEKP", "TUVEKL", "TUVEKX"). Nothing for any other name.
std::optional<std::string_view> phonebookResource(std::string_view name);
