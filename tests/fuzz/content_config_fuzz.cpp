// Button.ini and adconfig.ini as the content server may send them.
#include "core/content/ad_config.h"
#include "core/content/ad_schedule.h"
#include "core/content/bar_config.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = asText(data, size);
    writeScratch("Button.ini", text);
    const BarConfig bar(scratchDir() + "Button.ini");
    const int count = bar.count();
    // The bar reads at most the entries a window can hold; a huge count must
    // not mean a huge loop here either.
    for (int i = 1; i <= std::min(count, 64); ++i) {
        const BarEntryConfig entry = bar.entry(i);
        (void)BarConfig::isSafeImageName(BarConfig::imageFileName(entry.normalImageUrl));
    }
    writeScratch("adconfig.ini", text);
    for (const auto& ad : AdConfig(scratchDir() + "adconfig.ini").entries()) {
        std::int32_t seconds = 0;
        (void)AdSchedule::parseTime(ad.adTime, seconds);
    }
    return 0;
}
