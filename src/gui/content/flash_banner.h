#pragma once

#include <QObject>
#include <QPointer>
#include <string>

class QWidget;
namespace webcontent {
class FlashView;
}

// The banner of the logged-in panel: plays its movie, looping, in place of
// the placeholder picture. The player starts the first time the placeholder
// is shown (the panel appears after a login), not before, so that a client
// that never logs in never starts the engine. The picture stays when the
// engine cannot be loaded.
class FlashBanner : public QObject {
    Q_OBJECT
public:
    FlashBanner(QWidget* placeholder, std::string movieUrl, QObject* parent = nullptr);

    webcontent::FlashView* flash() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();

    QPointer<QWidget> placeholder_;
    std::string movieUrl_;
    QPointer<QWidget> flashWidget_;
    webcontent::FlashView* flash_ = nullptr;
};
