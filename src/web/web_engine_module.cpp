// The browser engine module: the one part of the client that links the
// engine. Loaded at run time on first use (content/web_content_loader.h).
#include <QCoreApplication>

#include "web/engine_web_view.h"
#include "web/ruffle_file_server.h"
#include "web/ruffle_flash_view.h"
#include "web/web_content.h"

// Sets up the engine's shared graphics context. The engine does this by
// itself only when it is loaded before the application object exists; loaded
// later, as here, its first view would find no context and crash.
namespace QtWebEngineCore {
Q_DECL_IMPORT void initialize();
}

namespace {

class EngineModule final : public webcontent::Module {
public:
    EngineModule() { QtWebEngineCore::initialize(); }

    webcontent::WebView* createWebView(QWidget* parent) override { return new EngineWebView(parent); }

    webcontent::FlashView* createFlashView(QWidget* parent) override
    {
        if (!files_) // goes with the application object
            files_ = new RuffleFileServer(QCoreApplication::applicationDirPath() + QStringLiteral("/ruffle"),
                QCoreApplication::instance());
        return new RuffleFlashView(*files_, parent);
    }

private:
    RuffleFileServer* files_ = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT webcontent::Module* zavtrel_web_content_module()
{
    static EngineModule module;
    return &module;
}
