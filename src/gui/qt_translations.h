#pragma once

#include <QTranslator>
#include <memory>

// Qt's own texts (standard buttons, the edit menu, file dialogs) in Chinese,
// as every other text of the client is. Installed while the returned object
// lives; nothing when the translations are not installed on this system.
std::unique_ptr<QTranslator> installQtTranslations();
