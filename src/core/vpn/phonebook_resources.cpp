#include "core/vpn/phonebook_resources.h"

#include "embedded/phonebook_templates.h"

std::optional<std::string_view> phonebookResource(std::string_view name)
{
    if (name == "TUVEKP")
        return embedded::TUVEKP;
    if (name == "TUVEKL")
        return embedded::TUVEKL;
    if (name == "TUVEKX")
        return embedded::TUVEKX;
    return std::nullopt;
}
