#pragma once

#include <QObject>
#include <QPointer>
#include <optional>
#include <string>
#include <vector>

#include "core/content/config_fetch_run.h"

class QLabel;
class QWidget;
class ImageButton;
namespace webcontent {
class WebView;
}

// The button bar on the left of the logged-in panel: its lists, its buttons
// and the selected one, and the switch between the connection panel and the
// web page of an entry. UI thread only.
class ButtonBar : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QWidget* panel1; // the logged-in panel, parent of the buttons
        ImageButton* firstButton; // bsSkinSpeedButton1, entry index 0
        QLabel* titleLabel; // Titlelb
        QWidget* mainPanel; // Mainpanel, the connection page
        QWidget* softPanel; // SoftPanel, holds WebBrowser1
    };

    ButtonBar(const Widgets& widgets, std::string resDir, QObject* parent = nullptr);
    ~ButtonBar() override;

    // A fetch run starts; a later one supersedes it.
    unsigned beginRun() { return ++latestRun_; }
    unsigned latestRun() const { return latestRun_; }
    // Steps of a fetch run. Failures throw.
    void startBar();
    void addEntry(int number, const BarEntryItems& items);
    void showFirstCaption();

    // The three handlers every bar button shares.
    void buttonClick(ImageButton* button);
    void buttonMouseEnter(ImageButton* button);
    void buttonMouseLeave(ImageButton* button);

    ImageButton* currentButton() const { return current_; }
    bool hasLists() const { return lists_.has_value(); }
    const std::vector<std::string>& captions() const;
    const std::vector<std::string>& normalImages() const;
    const std::vector<std::string>& hoverImages() const;
    const std::vector<std::string>& urls() const;
    // The page view inside SoftPanel; null until the first page is shown.
    webcontent::WebView* webBrowser() const;

private:
    struct Lists {
        std::vector<std::string> captions, normalImages, hoverImages, urls;
    };
    void wire(ImageButton* button);
    const Lists& lists() const;
    static int indexOf(const ImageButton* button);
    void loadImage(ImageButton* button, const std::string& name) const;
    void navigate(const std::string& url);

    Widgets w_;
    std::string resDir_;
    ImageButton* current_;
    std::optional<Lists> lists_;
    unsigned latestRun_ = 0;
    std::vector<QPointer<ImageButton>> created_;
    QPointer<QWidget> browserWidget_;
    webcontent::WebView* browser_ = nullptr;
};
