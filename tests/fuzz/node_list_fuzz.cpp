#include "core/nodes/node_list.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    writeScratch("Vip.ini", asText(data, size));
    const NodeList list = loadNodeList(scratchDir(), "Vip.ini");
    // Never more nodes than sections in the file.
    std::size_t sections = 0;
    for (std::size_t i = 0; i < size; ++i)
        sections += data[i] == '[';
    FUZZ_REQUIRE(list.nodes.size() <= sections);
    return 0;
}
