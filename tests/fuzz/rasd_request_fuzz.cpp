// The remote-access service's request parser: frames, fields, dial fields
// and routes, as a caller can send them.
#include "platform/linux/rasd_protocol.h"
#include "tests/fuzz/fuzz_input.h"
#include "tools/rasd/phonebook_entry.h"
#include "tools/rasd/request_policy.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using platform::rasd::Message;
    platform::rasd::FrameReader reader;
    reader.feed(asText(data, size));
    std::string body;
    while (reader.next(body) == platform::rasd::FrameReader::Result::Frame) {
        const auto m = Message::decode(body);
        if (!m)
            continue;
        // What decodes encodes back to the same fields.
        FUZZ_REQUIRE(Message::decode(m->encode())->fields() == m->fields());
        const std::string entry = m->get("entry");
        if (request_policy::checkEntry(entry) == 0
            && request_policy::checkPhonebook(m->get("phonebook")) == 0)
            (void)PhonebookEntry::parse(m->get("phonebook"), entry);
        (void)request_policy::checkPhone(m->get("phone"));
        for (const auto& r : m->all("r"))
            if (const auto route = request_policy::parseRoute(r))
                (void)request_policy::routeAllowed(*route, true);
    }
    return 0;
}
