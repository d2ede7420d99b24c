#pragma once

#include <functional>

class QString;
class QUrl;
class QWidget;

// The browser engine lives in a module of its own that the client loads the
// first time it shows a page (see web_content_loader.h), so that a client
// that never shows one never pays for the engine. These interfaces are all
// the client sees of it. The views are widgets owned by their parent: they
// go when the parent goes.
namespace webcontent {

class WebView {
public:
    virtual QWidget* widget() = 0;
    virtual void navigate(const QUrl& url) = 0;
    // Called after every completed load of the top-level page (never for a
    // frame inside it), with its outcome.
    virtual void setLoadFinishedHandler(std::function<void(bool ok)> handler) = 0;

    virtual ~WebView() = default;
};

// A Flash player surface: plays the movie at once, looping, high quality,
// scaled to show the whole movie, its context menu on.
class FlashView {
public:
    virtual QWidget* widget() = 0;
    // Replaces the movie; an address that is not http(s) shows nothing.
    virtual void play(const QUrl& movie) = 0;
    // The movie's calls to its host (fscommand): command name and argument.
    virtual void setCommandHandler(std::function<void(const QString& command, const QString& args)> handler)
        = 0;

    virtual ~FlashView() = default;
};

class Module {
public:
    virtual WebView* createWebView(QWidget* parent) = 0;
    virtual FlashView* createFlashView(QWidget* parent) = 0;

    virtual ~Module() = default;
};

// The module's one exported function.
using EntryFunction = Module* (*)();
inline constexpr const char* kEntryName = "zavtrel_web_content_module";
inline constexpr const char* kModuleName = "zavtrel_web";

} // namespace webcontent
