#pragma once

#include <string>
#include <vector>

#include "core/content/ad_config.h"
#include "core/content/download.h"

// A bar entry as the fetch run hands it to the bar: image names are bare file
// names inside the image directory (empty when the address gave none or a
// name that would lead out of it).
struct BarEntryItems {
    std::string caption;
    std::string normalImage;
    std::string hoverImage;
    std::string url;
};

// The UI side of a fetch run. The run calls these in the order of its steps;
// an implementation may hand each call to another thread and wait for it.
// Any exception ends the run.
class ConfigFetchTarget {
public:
    virtual ~ConfigFetchTarget() = default;
    // New, empty bar lists replace those of an earlier run.
    virtual void startBar() = 0;
    // Appends entry number (from 1) to the lists; from entry 2 on it also
    // creates the entry's button, which throws when its image cannot be shown.
    virtual void addBarEntry(int number, const BarEntryItems& items) = 0;
    virtual bool settingsFileExists() = 0;
    virtual void setSchedule(const std::vector<AdEntryConfig>& entries) = 0;
    // Takes the contact address and stores it in the settings file.
    virtual void setContactUrl(const std::string& url) = 0;
    // The title label shows the first caption; throws when there is none.
    virtual void showFirstCaption() = 0;
    virtual void logFailure() = 0;
};

struct ConfigFetchJob {
    std::string contentBase; // ends in "/"
    std::string appDir; // ends in "/"
    std::string resDir; // ends in "/"
    std::string nodeListFile; // "Vip.ini" or "Free.ini"
    DownloadLimits limits;
};

// The five files, remote name and local name, in the order they are fetched.
struct FetchedFile {
    std::string remote;
    std::string local;
};
std::vector<FetchedFile> fetchedFiles(const std::string& nodeListFile);

// One run of the configuration fetch: downloads, button bar, schedule and
// contact address, title. The first failure ends it with one log line;
// whatever was done before stays.
void runConfigFetch(const ConfigFetchJob& job, ConfigFetchTarget& target);
