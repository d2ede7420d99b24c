#pragma once

#include "core/content/download.h"
#include "core/http/http_get.h"

#include <string>
#include <string_view>

// An https:// download through the system's libcurl, loaded the first time
// one is asked for: the portal speaks plain HTTP, and a TLS stack loaded at
// every start would cost each user memory and start-up time for addresses a
// content file rarely names. False when the library is missing or the
// transfer fails.
bool tlsTransfer(const std::string& url, const DownloadLimits& limits, const HttpBodySink& sink);
