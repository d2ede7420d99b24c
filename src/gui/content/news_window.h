#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

namespace webcontent {
class WebView;
}

// The news window a login opens: it loads the news page unseen and appears
// only once that page has completed. On this platform "unseen" means not
// shown at all: a window of opacity 0 is fully visible where no compositor
// honours opacity, and catches the pointer where one does.
class NewsWindow : public QWidget {
    Q_OBJECT
public:
    // Runs the creation steps: opacity 0, topmost, (width + 21) x
    // (height + 35), title, page. A width or height that is not an integer
    // ends them before the size; the window then never appears.
    NewsWindow(const std::string& title, const std::string& width, const std::string& height,
        const std::string& pageUrl, QWidget* parent = nullptr);

    // The page view; null when creation stopped before the page.
    webcontent::WebView* webBrowser() const;
    // True once the top-level page has completed and the window shows.
    bool pageCompleted() const { return completed_; }

    // The browser's completion report for the top-level page.
    void webBrowser1DocumentComplete(bool ok);

private:
    void formCreate(const std::string& title, const std::string& width, const std::string& height,
        const std::string& pageUrl);
    void fitFrame();

    QSize outerSize_;
    QPointer<QWidget> browserWidget_;
    webcontent::WebView* browser_ = nullptr;
    bool completed_ = false;
};
