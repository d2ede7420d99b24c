#pragma once

#include <string>

// How long one download may take. A server that accepts and then stalls must
// not hold the fetch worker for ever.
struct DownloadLimits {
    long connectTimeoutMs = 10000;
    // Aborts a transfer that moves fewer than lowSpeedBytes per second for
    // lowSpeedSeconds in a row.
    long lowSpeedBytes = 1;
    long lowSpeedSeconds = 30;
    long totalTimeoutMs = 300000;
};

// HTTP(S) GET of url (bytes as they go on the wire), redirects followed, body
// stored as file. The body goes to a temporary file beside file, which replaces
// it only after a complete transfer with a 2xx status: a failed or cut
// download leaves an existing file exactly as it was. Never throws.
bool downloadToFile(const std::string& url, const std::string& file, const DownloadLimits& limits = {});
