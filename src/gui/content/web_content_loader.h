#pragma once

#include "web/web_content.h"

namespace webcontent {

// Loads the browser engine module from the program's directory the first
// time it is asked for; null when it cannot be loaded (the caller then shows
// no page). The module stays loaded for the life of the process, as the
// engine must. UI thread only.
Module* loadModule();

} // namespace webcontent
