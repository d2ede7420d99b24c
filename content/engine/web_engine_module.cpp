// The browser engine module: the one part of the client that links the
// engine. Loaded at run time on first use (content/web_content_loader.h).
#include <QCoreApplication>

#include "content/engine/engine_web_view.h"
#include "content/engine/ruffle_file_server.h"
#include "content/engine/ruffle_flash_view.h"
#include "content/web_content.h"

namespace {

class EngineModule final : public webcontent::Module {
public:
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
