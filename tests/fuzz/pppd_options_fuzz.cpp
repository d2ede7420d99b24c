// The pppd option builder: nothing from a phonebook becomes an option of
// its own, and quoted words stay one word.
#include <set>

#include "tests/fuzz/fuzz_input.h"
#include "tools/rasd/phonebook_entry.h"
#include "tools/rasd/pppd_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(asText(data, size));
    const std::string entryName = "TUVEKP";
    const auto parsed = PhonebookEntry::parse(text, entryName);
    if (const auto* entry = std::get_if<PhonebookEntry>(&parsed)) {
        static const std::set<std::string> known { "noauth", "nobsdcomp", "nodeflate", "maxfail", "1",
            "lcp-echo-interval", "10", "lcp-echo-failure", "3", "linkname", "zavtrel-1", "ipparam", "zavtrel",
            "logfile", "/run/log", "require-mppe-128", "require-mppe", "refuse-pap", "refuse-chap",
            "refuse-eap", "novj", "novjccomp", "defaultroute", "replacedefaultroute", "nodefaultroute" };
        for (const auto& option : pppd::linkOptions(*entry, "zavtrel-1", "/run/log"))
            FUZZ_REQUIRE(known.count(option) == 1);
    }
    // A quoted word has no bare quote, backslash or line break left.
    const std::string quoted = pppd::quoteWord(text);
    FUZZ_REQUIRE(quoted.size() >= 2 && quoted.front() == '"' && quoted.back() == '"');
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\') {
            ++i;
            continue;
        }
        FUZZ_REQUIRE(quoted[i] != '"' && quoted[i] != '\n' && quoted[i] != '\r');
    }
    return 0;
}
