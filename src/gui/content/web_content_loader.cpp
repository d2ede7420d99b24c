#include "gui/content/web_content_loader.h"

#include <QCoreApplication>
#include <QLibrary>

namespace webcontent {

Module* loadModule()
{
    // Kept for good: the engine cannot be unloaded and started again.
    static QLibrary library(
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kModuleName));
    static Module* module = []() -> Module* {
        library.setLoadHints(QLibrary::PreventUnloadHint);
        if (!library.load())
            return nullptr;
        const auto entry = reinterpret_cast<EntryFunction>(library.resolve(kEntryName));
        return entry ? entry() : nullptr;
    }();
    return module;
}

} // namespace webcontent
