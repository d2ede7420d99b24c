#include "gui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

std::unique_ptr<QTranslator> installQtTranslations()
{
    auto translator = std::make_unique<QTranslator>();
    // The client speaks Chinese whatever the system's language is.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator;
}
