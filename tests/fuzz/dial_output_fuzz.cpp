// How a dial's output is judged: the system code page first, then success or
// the error numbers it names.
#include "core/vpn/dial_procedure.h"
#include "platform/gbk_codec.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string output = platform::gbkToUtf8(std::string(asText(data, size)));
    (void)DialProcedure::outputSaysConnected(output);
    for (const auto* row : DialProcedure::errorsIn(output))
        FUZZ_REQUIRE(output.find(row->code) != std::string::npos);
    return 0;
}
