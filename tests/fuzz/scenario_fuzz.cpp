#include "tests/fuzz/fuzz_input.h"
#include "tools/rasd/dial_scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    writeScratch("scenario.ini", asText(data, size));
    (void)DialScenario::load(scratchDir() + "scenario.ini");
    return 0;
}
