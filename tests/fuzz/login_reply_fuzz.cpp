#include "core/account/connection_policy.h"
#include "core/account/login_decision.h"
#include "core/account/login_reply.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = asText(data, size);
    if (const auto reply = parseLoginReply(text))
        (void)versionAccepted(reply->requiredVersion);
    (void)classifyLoginReply(text);
    (void)decideLogin(true, text);
    const PolicyReply policy = splitPolicyReply(text);
    (void)policyAllows(policy.verdict);
    return 0;
}
