#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

namespace webcontent {
class FlashView;
}

// Borderless, always-on-top advertisement pop-up in the bottom-right corner of
// the work area. It plays one Flash movie; the movie's "quit" command hides it.
class AdPopup : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 331;
    static constexpr int kHeight = 228;

    explicit AdPopup(QWidget* parent = nullptr);

    // Sets the movie and shows the pop-up; while it is visible only the movie
    // changes.
    void showMovie(const std::string& url);
    // Commands from the movie: "quit" closes the pop-up, others are ignored.
    void shockwaveFlash1FSCommand(const QString& command, const QString& args);
    // Where the pop-up goes each time it becomes visible.
    void formShow();

    // The player; null until the first movie.
    webcontent::FlashView* flash() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QWidget> flashWidget_;
    webcontent::FlashView* flash_ = nullptr;
};
