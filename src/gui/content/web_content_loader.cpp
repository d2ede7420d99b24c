#include "gui/content/web_content_loader.h"

#include <QCoreApplication>
#include <QLibrary>

namespace webcontent {

Module* loadModule()
{
    static Module* module = []() -> Module* {
        auto* lib = new QLibrary(
            QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kModuleName));
        // Kept for good: the engine cannot be unloaded and started again.
        if (!lib->load())
            return nullptr;
        const auto entry = reinterpret_cast<EntryFunction>(lib->resolve(kEntryName));
        return entry ? entry() : nullptr;
    }();
    return module;
}

} // namespace webcontent
