#include "core/http/http_reply_reader.h"
#include "core/http/http_url.h"
#include "tests/fuzz/fuzz_input.h"

// A reply read whole must give the same status and body as the same reply
// read in two pieces split anywhere; an address read from the input must
// resolve redirects without breaking.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = asText(data, size);
    const auto read = [&](size_t split, std::string& body) {
        HttpReplyReader reader([&](std::string_view bytes) {
            body.append(bytes);
            return true;
        });
        bool ok = reader.feed(text.substr(0, split)) && reader.feed(text.substr(split));
        ok = ok && (reader.complete() || reader.finish());
        return std::make_pair(ok, ok ? reader.status() : 0);
    };
    std::string whole, pieces;
    const auto a = read(size, whole);
    const auto b = read(size == 0 ? 0 : data[0] % size, pieces);
    FUZZ_REQUIRE(a == b && (!a.first || whole == pieces));

    const size_t line = text.find('\n');
    if (const auto url = parseHttpUrl(text.substr(0, line))) {
        FUZZ_REQUIRE(!url->host.empty() && !url->target.empty() && url->target.front() == '/');
        if (line != std::string_view::npos)
            (void)parseHttpUrl(resolveLocation(*url, text.substr(line + 1)));
    }
    return 0;
}
