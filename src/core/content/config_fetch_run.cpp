#include "core/content/config_fetch_run.h"

#include "core/content/bar_config.h"
#include "platform/gbk_codec.h"

namespace {

// Downloads an image address into the image directory; returns the name the
// bar lists carry.
std::string fetchImage(const std::string& address, const ConfigFetchJob& job)
{
    std::string name = BarConfig::imageFileName(address);
    if (!BarConfig::isSafeImageName(name))
        return {};
    downloadToFile(platform::utf8ToGbk(address), job.resDir + name, job.limits);
    return name;
}

void run(const ConfigFetchJob& job, ConfigFetchTarget& target)
{
    for (const auto& f : fetchedFiles(job.nodeListFile))
        downloadToFile(job.contentBase + f.remote, job.appDir + f.local, job.limits);

    const BarConfig bar(job.appDir + BarConfig::kFileName);
    if (bar.exists()) {
        target.startBar();
        const int n = bar.count();
        for (int i = 1; i <= n; ++i) {
            const BarEntryConfig e = bar.entry(i);
            BarEntryItems items;
            items.caption = e.caption;
            items.normalImage = fetchImage(e.normalImageUrl, job);
            items.hoverImage = fetchImage(e.hoverImageUrl, job);
            items.url = e.url;
            target.addBarEntry(i, items);
        }
    }

    if (target.settingsFileExists()) {
        const AdConfig ads(job.appDir + AdConfig::kFileName);
        target.setSchedule(ads.entries());
        target.setContactUrl(ads.contactUrl());
    }

    target.showFirstCaption();
}

} // namespace

std::vector<FetchedFile> fetchedFiles(const std::string& nodeListFile)
{
    return { { nodeListFile, nodeListFile }, { "zvtBt.ini", BarConfig::kFileName },
        { "RouteTabledx.ini", "RouteTabledx.tab" }, { "RouteTablewt.ini", "RouteTablewt.tab" },
        { "zvtad.ini", AdConfig::kFileName } };
}

void runConfigFetch(const ConfigFetchJob& job, ConfigFetchTarget& target)
{
    try {
        run(job, target);
    } catch (...) {
        try {
            target.logFailure();
        } catch (...) {
            // the UI side is gone; nobody is left to tell
        }
    }
}
