#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

#include "core/content/ad_schedule.h"

class QTimer;
struct ClientContext;
class AccountPanel;
class AdPopup;
class AdScheduleTicker;
class ButtonBar;
class NewsWindow;

// The service's content on the main window: the button bar and its
// configuration fetch, the banner, the advertisement schedule (Timer5) and
// the news windows.
class ContentController : public QObject {
    Q_OBJECT
public:
    ContentController(ClientContext& ctx, AccountPanel& account, QObject* parent);
    ~ContentController() override;

    // The pop-up the schedule shows; set once, right after it is created.
    void setAdPopup(AdPopup& popup);
    // The first bar button's picture from the image directory, which is made
    // when it is missing.
    void restoreFirstButtonImage();

    // After a login: the configuration fetch, the schedule, a news window.
    void startConfigFetch();
    void startSchedule();
    void openNewsWindow();

    ButtonBar& buttonBar() { return *buttonBar_; }
    QTimer* Timer5;

private:
    ClientContext& ctx_;
    AccountPanel& account_;
    AdSchedule adSchedule_;
    ButtonBar* buttonBar_;
    AdScheduleTicker* adTicker_ = nullptr;
    std::vector<QPointer<NewsWindow>> newsWindows_;
};
