#include <vector>

#include "tests/fuzz/fuzz_input.h"
#include "tools/rasdial/rasdial_arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // NUL bytes split the input into arguments, as argv does.
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    const RasdialArguments a = RasdialArguments::parse(args);
    // A command the tool carries out has no complaint attached.
    FUZZ_REQUIRE(a.command == RasdialArguments::Command::Usage || a.problem.empty());
    return 0;
}
