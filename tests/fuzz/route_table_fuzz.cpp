#include "core/vpn/route_installer.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto lines = parseRouteTable(asText(data, size));
    // One route per line at most.
    std::size_t breaks = 1;
    for (std::size_t i = 0; i < size; ++i)
        breaks += data[i] == '\n' || data[i] == '\r';
    FUZZ_REQUIRE(lines.size() <= breaks);
    return 0;
}
