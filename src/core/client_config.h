#pragma once

#include <string>

#include "base/app_paths.h"

// Where the client finds its files and its servers. The program builds it from
// its own location and the build-time addresses; tests point it elsewhere.
struct ClientConfig {
    AppPaths paths;
    std::string portalBase = ZAVTREL_PORTAL_BASE; // ends in "/"
    std::string contentBase = ZAVTREL_CONTENT_BASE; // ends in "/"
    std::string newsPageUrl = ZAVTREL_NEWS_PAGE_URL;
    std::string defaultServerIp = ZAVTREL_DEFAULT_SERVER_IP;
    // The dial tool; looked up on PATH when it has no "/".
    std::string dialTool = "rasdial";
};
